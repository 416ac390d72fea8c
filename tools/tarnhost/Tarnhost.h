// tarnhost's scenario library, whole: the session that keeps every bot's arena, the language
// that acts on it, and the runners that play a file or a person's typing.
#pragma once

#include "Interactive.h"
#include "Play.h"
#include "Session.h"
#include "Verbs.h"
#include "Words.h"
