# Every target of the project builds with these warnings; a warning is a build failure.
add_compile_options(-Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-align
                    -Wnull-dereference -Wimplicit-fallthrough -Werror)
