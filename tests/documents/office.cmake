# The office layer's tests read the written files back with QuaZip and pugixml of their own.
pelorin_add_test(office_test SOURCES office_test.cpp LIBS pelorin_office QuaZip::QuaZip pugixml::pugixml)
target_compile_definitions(office_test PRIVATE PELORIN_SOURSES_DIR="${PROJECT_SOURCE_DIR}/resources/sourses")

# Not a test: fills the shipped templates with a long card for a look at the printout (see the file).
add_executable(office_samples EXCLUDE_FROM_ALL office_samples.cpp)
target_link_libraries(office_samples PRIVATE pelorin_office)
set_target_properties(office_samples PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
