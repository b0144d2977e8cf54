# The stories read the dialog's English texts: the language must not follow the locale of
# whoever runs them.
if(zeltor_controller_tests_TESTS)
    set_tests_properties(${zeltor_controller_tests_TESTS}
                         PROPERTIES ENVIRONMENT "LC_ALL=C.UTF-8;LANG=C.UTF-8")
endif()
