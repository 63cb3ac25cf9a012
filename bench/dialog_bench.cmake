add_executable(dialog_bench dialog_bench.cpp HeapCount.cpp)
target_link_libraries(dialog_bench PRIVATE kytFilterBasePkg benchmark::benchmark)
target_include_directories(dialog_bench PRIVATE ${PROJECT_SOURCE_DIR})
