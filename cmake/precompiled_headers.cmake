# The standard headers that nearly every file of the project includes, parsed once per target
# instead of once per file: reading them is most of a compile at -O0, as in the sanitizer build.
set(QUILLET_PRECOMPILED_HEADERS
    <algorithm> <array> <chrono> <cstdint> <cstring> <deque> <functional> <map> <memory>
    <optional> <sstream> <string> <string_view> <unordered_map> <unordered_set> <vector>)

# Gives every C++ target defined in dir and the folders below it the precompiled headers
# (targets with C sources keep their own includes).
function(quillet_precompile_headers dir)
    get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target ${targets})
        get_target_property(type ${target} TYPE)
        get_target_property(sources ${target} SOURCES)
        list(FILTER sources INCLUDE REGEX "\\.c$")
        if(type MATCHES "^(STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|EXECUTABLE)$"
           AND NOT sources)
            target_precompile_headers(${target} PRIVATE ${QUILLET_PRECOMPILED_HEADERS})
        endif()
    endforeach()
    get_property(folders DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    foreach(folder ${folders})
        quillet_precompile_headers(${folder})
    endforeach()
endfunction()
