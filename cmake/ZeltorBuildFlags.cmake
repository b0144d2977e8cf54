# Flags every target of ours shares. Third-party code (GoogleTest) does not get the warnings.

if(WIN32)
    enable_language(RC)
    # Standard printf formats (%zu, %lld) from the mingw runtime, and Unicode Win32 calls.
    add_compile_definitions(__USE_MINGW_ANSI_STDIO=1 UNICODE _UNICODE _WIN32_WINNT=0x0601
                            WINVER=0x0601 NOMINMAX WIN32_LEAN_AND_MEAN)
endif()

if(ZELTOR_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
                        -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()

if(ZELTOR_FUZZ)
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()

function(zeltor_warnings target)
    target_compile_options(${target} PRIVATE
        $<$<COMPILE_LANGUAGE:CXX,C>:-Wall -Wextra -Werror>)
endfunction()
