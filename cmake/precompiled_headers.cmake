# The standard headers that nearly every file of the project includes, parsed once per build
# instead of once per file: reading them is most of a compile at -O0, as in the sanitizer build.
set(QUILLET_PRECOMPILED_HEADERS
    <algorithm> <array> <chrono> <cstdint> <cstring> <deque> <functional> <map> <memory>
    <optional> <sstream> <string> <string_view> <unordered_map> <unordered_set> <vector>)

# A precompiled header is only valid for the flags it was made with, and making one costs as much
# as several ordinary compiles, so there is one per set of flags rather than one per target: the
# project's code shares one, the unit tests (built -O0 -g1, with GoogleTest's header) another.
# Targets with flags of their own make their own. -Winvalid-pch turns a header that the compiler
# would silently skip into a build failure, so a flag that drifts cannot quietly cost the saving.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    add_compile_options($<$<COMPILE_LANGUAGE:CXX>:-Winvalid-pch>)
endif()
file(WRITE ${CMAKE_BINARY_DIR}/precompiled_headers.cpp "")
add_library(quillet_precompiled OBJECT ${CMAKE_BINARY_DIR}/precompiled_headers.cpp)
target_precompile_headers(quillet_precompiled PRIVATE ${QUILLET_PRECOMPILED_HEADERS})
add_library(quillet_test_precompiled OBJECT ${CMAKE_BINARY_DIR}/precompiled_headers.cpp)
target_compile_options(quillet_test_precompiled PRIVATE ${QUILLET_UNIT_TEST_OPTIONS})
target_link_libraries(quillet_test_precompiled PRIVATE GTest::gtest)
target_precompile_headers(quillet_test_precompiled PRIVATE ${QUILLET_PRECOMPILED_HEADERS}
                          <gtest/gtest.h>)

# Gives every C++ target defined in dir and the folders below it the shared header of its flags
# (targets with C sources keep their own includes).
function(quillet_precompile_headers dir)
    get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target ${targets})
        get_target_property(type ${target} TYPE)
        get_target_property(sources ${target} SOURCES)
        # The target's own options: those it has beyond the project's.
        get_target_property(options ${target} COMPILE_OPTIONS)
        get_property(project_options DIRECTORY ${CMAKE_SOURCE_DIR} PROPERTY COMPILE_OPTIONS)
        if(options AND project_options)
            list(REMOVE_ITEM options ${project_options})
        endif()
        list(FILTER sources INCLUDE REGEX "\\.c$")
        if(NOT type MATCHES "^(STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|EXECUTABLE)$"
           OR sources)
            continue()
        endif()
        if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
            # clang (the fuzz build) keeps a header per target: the sharing is checked with gcc.
            target_precompile_headers(${target} PRIVATE ${QUILLET_PRECOMPILED_HEADERS})
        elseif(NOT options)
            target_precompile_headers(${target} REUSE_FROM quillet_precompiled)
        elseif(options STREQUAL "${QUILLET_UNIT_TEST_OPTIONS}")
            target_precompile_headers(${target} REUSE_FROM quillet_test_precompiled)
        else()
            target_precompile_headers(${target} PRIVATE ${QUILLET_PRECOMPILED_HEADERS})
        endif()
    endforeach()
    get_property(folders DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    foreach(folder ${folders})
        quillet_precompile_headers(${folder})
    endforeach()
endfunction()
