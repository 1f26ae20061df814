# Lays out the program folder beside the executable: sourses/ with the default reference lists,
# sourses/reports/, foto/ and reports/. Reference lists already there are kept, since the program writes
# some of them itself (the drug tree) and the clinic edits the others. The document templates of
# sourses/reports/ are the program's own forms: a newer shipped template replaces the copy, so that a
# regenerated form reaches the program; the discharge summaries written beside them are not shipped and
# stay untouched.
file(MAKE_DIRECTORY "${DEST}/sourses/reports" "${DEST}/foto" "${DEST}/reports")
file(GLOB_RECURSE shipped RELATIVE "${SRC}" "${SRC}/*")
foreach(f IN LISTS shipped)
    if(f MATCHES "(^|/)\\.git")
        continue()
    endif()
    set(copy "${DEST}/sourses/${f}")
    if(EXISTS "${copy}")
        # IS_NEWER_THAN also holds for equal times; an identical file is left alone all the same.
        if(NOT f MATCHES "^reports/" OR NOT "${SRC}/${f}" IS_NEWER_THAN "${copy}")
            continue()
        endif()
        file(SHA256 "${SRC}/${f}" shipped_hash)
        file(SHA256 "${copy}" copy_hash)
        if(shipped_hash STREQUAL copy_hash)
            continue()
        endif()
        message(STATUS "Newer template: sourses/${f}")
    endif()
    get_filename_component(dir "${copy}" DIRECTORY)
    file(MAKE_DIRECTORY "${dir}")
    file(COPY_FILE "${SRC}/${f}" "${copy}")
endforeach()
