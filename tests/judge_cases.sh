# What the self-tests of the checks share, sourced by each: judging a planted case by the
# checker's verdict and its reason, and the closing count.

judged=0
wrong=0

# Judges one case. `expected` is "pass", or "fail: REASON" where REASON must appear in the
# checker's output `log`, so a planted input rejected for the wrong reason still counts as a
# wrong judgement; `outcome` is what the checker said: pass, fail, or why it was not asked.
judge_case() {
    local name=$1 expected=$2 outcome=$3 log=$4 reason=""
    judged=$((judged + 1))
    [[ $expected == "fail: "* ]] && reason=${expected#"fail: "}
    if [[ $outcome == "${expected%%:*}" ]] && { [[ -z $reason ]] || grep -qF -- "$reason" "$log"; }; then
        echo "ok    $name: checker says $outcome"
    else
        echo "WRONG $name: checker says $outcome, expected $expected"
        cat "$log"
        wrong=$((wrong + 1))
    fi
}

# Prints how many cases were judged right; fails unless every one was.
report_judgements() {
    echo "$((judged - wrong)) of $judged cases judged right"
    ((wrong == 0))
}
