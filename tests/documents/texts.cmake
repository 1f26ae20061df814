# The document texts: extract header and anamnesis, course diary, card sheets and the whole composition.
foreach(name doc_extract_texts_test doc_diary_texts_test doc_card_texts_test doc_report_texts_test)
    pelorin_add_test(${name} BOTH_BACKENDS SOURCES ${CMAKE_CURRENT_LIST_DIR}/${name}.cpp LIBS pelorin_documents)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/db)
    # The shared report fixture also lays out program folders from the shipped resources.
    target_compile_definitions(${name} PRIVATE PELORIN_SOURSES_DIR="${PROJECT_SOURCE_DIR}/resources/sourses")
endforeach()
