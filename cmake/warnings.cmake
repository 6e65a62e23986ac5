# Every target of the project builds with these warnings; a warning is a build failure.
add_compile_options(-Wall -Wextra -Wpedantic -Wshadow -Wcast-align -Wnull-dereference
                    -Wimplicit-fallthrough -Werror $<$<COMPILE_LANGUAGE:CXX>:-Wnon-virtual-dtor>)
