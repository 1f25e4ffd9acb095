# Helpers shared by the sub-folders.

# vt_add_program(<name> <library> [SOURCES...]): one executable of the suite in build/bin.
function(vt_add_program name lib)
    add_executable(${name} ${ARGN})
    target_link_libraries(${name} PRIVATE ${lib})
    install(TARGETS ${name} RUNTIME DESTINATION lib/vantora)
endfunction()
