# jsonvalue: tests/common/JsonValue.h over nlohmann-json (Debian's
# nlohmann-json3-dev, header-only), for the tests and benchmarks that read the
# host's DUMP. Its CMake package would add /usr/include, which must not reach
# the MinGW build (Linux headers there would shadow MinGW's), so every build
# gets a folder of its own that holds only the library's nlohmann/ folder.
find_path(ME_NLOHMANN_JSON_ROOT nlohmann/json.hpp PATHS /usr/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT ME_NLOHMANN_JSON_ROOT)
  message(FATAL_ERROR "nlohmann/json.hpp not found: install nlohmann-json3-dev (scripts/setup)")
endif()
set(me_json_include ${CMAKE_BINARY_DIR}/json-include)
file(MAKE_DIRECTORY ${me_json_include})
file(CREATE_LINK ${ME_NLOHMANN_JSON_ROOT}/nlohmann ${me_json_include}/nlohmann SYMBOLIC)
add_library(jsonvalue INTERFACE)
target_include_directories(jsonvalue INTERFACE ${PROJECT_SOURCE_DIR}/tests/common)
target_include_directories(jsonvalue SYSTEM INTERFACE ${me_json_include})
