# Lays out the program folder beside the executable: sourses/ with the default reference lists,
# sourses/reports/, foto/ and reports/. Files already there are kept, since the program writes
# some of them itself (the drug tree) and the clinic edits the others.
file(MAKE_DIRECTORY "${DEST}/sourses/reports" "${DEST}/foto" "${DEST}/reports")
file(GLOB_RECURSE shipped RELATIVE "${SRC}" "${SRC}/*")
foreach(f IN LISTS shipped)
    if(f MATCHES "(^|/)\\.git")
        continue()
    endif()
    if(NOT EXISTS "${DEST}/sourses/${f}")
        get_filename_component(dir "${DEST}/sourses/${f}" DIRECTORY)
        file(MAKE_DIRECTORY "${dir}")
        file(COPY_FILE "${SRC}/${f}" "${DEST}/sourses/${f}")
    endif()
endforeach()
