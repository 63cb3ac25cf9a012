# Execute against a plain reopen of the query, and building the catalogue of a wide join
# over 1,000,000 rows (databases cached under /tmp/kyt-component-bench).
add_executable(component_bench component_bench.cpp)
target_link_libraries(component_bench PRIVATE kytIBOFilterPkg kytBDEFilterPkg kytQtSqlFilterPkg kyt_sample benchmark::benchmark)
target_include_directories(component_bench PRIVATE ${PROJECT_SOURCE_DIR})
