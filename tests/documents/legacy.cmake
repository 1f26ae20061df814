# "Старый отчет." and "pelorin-cli report --legacy", each run in a program folder of its own.
pelorin_add_test(legacy_card_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/legacy_card_test.cpp LIBS pelorin_cli_report)
target_include_directories(legacy_card_test PRIVATE ${PROJECT_SOURCE_DIR}/tests/db)
target_compile_definitions(legacy_card_test
    PRIVATE PELORIN_SOURSES_DIR="${PROJECT_SOURCE_DIR}/resources/sourses")
