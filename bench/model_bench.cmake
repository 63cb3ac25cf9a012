add_executable(model_bench model_bench.cpp)
target_link_libraries(model_bench PRIVATE kytFilterBasePkg benchmark::benchmark)
