# "Подготовить данные к печати." with its files, the command line's report and the "Отчет" page. Each
# test lays out a program folder of its own from the shipped resources.
set(report_sourses ${PROJECT_SOURCE_DIR}/resources/sourses)
pelorin_add_test(report_files_test BOTH_BACKENDS SOURCES ${CMAKE_CURRENT_LIST_DIR}/report_files_test.cpp LIBS pelorin_documents)
pelorin_add_test(report_cli_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/report_cli_test.cpp LIBS pelorin_cli_report)
pelorin_add_test(report_tab_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/report_tab_test.cpp LIBS pelorin_app_ui)
foreach(name report_files_test report_cli_test report_tab_test)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/db)
    target_compile_definitions(${name} PRIVATE PELORIN_SOURSES_DIR="${report_sourses}")
endforeach()
# Every document for every patient of a generated clinic with the patients fixtures miss.
pelorin_add_test(documents_clinic_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/documents_clinic_test.cpp
    LIBS pelorin_cli_report)
target_include_directories(documents_clinic_test PRIVATE ${PROJECT_SOURCE_DIR}/tests/db)
target_compile_definitions(documents_clinic_test PRIVATE PELORIN_SOURSES_DIR="${report_sourses}")
set_tests_properties(documents_clinic_test PROPERTIES TIMEOUT 1200)
