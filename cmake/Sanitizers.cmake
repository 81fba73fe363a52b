# Sanitizer builds apply to everything compiled in this tree, tests included.
if(CLIPVANE_SANITIZE AND CLIPVANE_TSAN)
    message(FATAL_ERROR "CLIPVANE_SANITIZE and CLIPVANE_TSAN cannot be combined")
endif()

if(CLIPVANE_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()

if(CLIPVANE_TSAN)
    add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
    add_link_options(-fsanitize=thread)
endif()

# Warnings for the project's own targets only; Qt and libvlc headers are system headers.
function(clipvane_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra)
endfunction()
