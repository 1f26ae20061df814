# The document texts: records in, text-area entries and spreadsheet cell writes out, as data. No widgets
# here; only report_files, the operation the window and the command line share, hands them to the
# office layer.
add_library(pelorin_documents STATIC
    ${CMAKE_CURRENT_SOURCE_DIR}/report_output.h
    ${CMAKE_CURRENT_SOURCE_DIR}/extract_texts.h ${CMAKE_CURRENT_SOURCE_DIR}/extract_texts.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/course_diary.h ${CMAKE_CURRENT_SOURCE_DIR}/course_diary.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/card_sheets.h ${CMAKE_CURRENT_SOURCE_DIR}/card_sheets.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/patient_report.h ${CMAKE_CURRENT_SOURCE_DIR}/patient_report.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/report_files.h ${CMAKE_CURRENT_SOURCE_DIR}/report_files.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/rtfwriter.h ${CMAKE_CURRENT_SOURCE_DIR}/rtfwriter.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/legacy_card.h ${CMAKE_CURRENT_SOURCE_DIR}/legacy_card.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/certificates.h ${CMAKE_CURRENT_SOURCE_DIR}/certificates.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/outcomes_workbook.h ${CMAKE_CURRENT_SOURCE_DIR}/outcomes_workbook.cpp
)
target_include_directories(pelorin_documents PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
# The subsystem libraries install the calculated texts the documents read; the documents only read them.
target_link_libraries(pelorin_documents
    PUBLIC pelorin_db pelorin_anamnesis pelorin_examination pelorin_treatment pelorin_clinical Qt6::Core Qt6::Sql)
target_link_libraries(pelorin_documents PUBLIC pelorin_office)
