# The project version, written once in project(... VERSION ...), in the Windows binaries.
#
# tarnwick_version_resource(TARGET DESCRIPTION): on Windows, gives TARGET a version resource
# (what Windows shows in the file's Properties); elsewhere it does nothing.

set(TARNWICK_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)

# Adds a VERSIONINFO resource to TARGET: FileVersion and ProductVersion from the project version,
# ProductName, FileDescription, InternalName and OriginalFilename (the file name as built).
function(tarnwick_version_resource target description)
    if(NOT WIN32)
        return()
    endif()
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "EXECUTABLE")
        set(TARNWICK_FILE_TYPE 1) # VFT_APP
        set(TARNWICK_FILE_NAME ${target}.exe)
    else()
        set(TARNWICK_FILE_TYPE 2) # VFT_DLL
        set(TARNWICK_FILE_NAME ${target}.dll)
    endif()
    set(TARNWICK_FILE_DESCRIPTION "${description}")
    set(TARNWICK_INTERNAL_NAME ${target})
    set(resource ${TARNWICK_GENERATED_DIR}/${target}.rc)
    configure_file(${CMAKE_CURRENT_FUNCTION_LIST_DIR}/VersionInfo.rc.in ${resource} @ONLY)
    target_sources(${target} PRIVATE ${resource})
endfunction()
