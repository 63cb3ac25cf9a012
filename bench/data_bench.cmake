# Preparing and describing a statement, and the item model's first screen, on tables
# of 10 and 1,000,000 rows (databases cached under /tmp/kyt-data-bench).
add_executable(data_bench data_bench.cpp)
target_link_libraries(data_bench PRIVATE kytIBOFilterPkg kytBDEFilterPkg kythost benchmark::benchmark)
target_include_directories(data_bench PRIVATE ${PROJECT_SOURCE_DIR})
