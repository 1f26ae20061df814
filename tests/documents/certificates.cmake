# The certificate and referral: their paragraphs and the command line's run, and the two pages inside
# the whole program. Each test lays out a program folder of its own from the shipped resources.
pelorin_add_test(certificates_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/certificates_test.cpp LIBS pelorin_cli_report)
pelorin_add_test(certificate_tabs_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/certificate_tabs_test.cpp LIBS pelorin_app_ui)
foreach(name certificates_test certificate_tabs_test)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/db)
    target_compile_definitions(${name} PRIVATE PELORIN_SOURSES_DIR="${PROJECT_SOURCE_DIR}/resources/sourses")
endforeach()
