# The RTF writer and the three buttons under the documents text area. The writer's files are read back
# with the recommendation sheets' RTF reader.
pelorin_add_test(rtfwriter_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/rtfwriter_test.cpp LIBS pelorin_documents_ui)
pelorin_add_test(textarea_buttons_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/textarea_buttons_test.cpp
                 LIBS pelorin_documents_ui pelorin_office)
target_compile_definitions(textarea_buttons_test PRIVATE PELORIN_SOURSES_DIR="${PROJECT_SOURCE_DIR}/resources/sourses")
pelorin_add_test(rtf_cli_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/rtf_cli_test.cpp
                 LIBS pelorin_cli_report pelorin_documents_ui)
target_include_directories(rtf_cli_test PRIVATE ${PROJECT_SOURCE_DIR}/tests/db)
target_compile_definitions(rtf_cli_test PRIVATE PELORIN_SOURSES_DIR="${PROJECT_SOURCE_DIR}/resources/sourses")
