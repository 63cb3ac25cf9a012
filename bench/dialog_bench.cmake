add_executable(dialog_bench dialog_bench.cpp)
target_link_libraries(dialog_bench PRIVATE kyt_filterdialog benchmark::benchmark)
