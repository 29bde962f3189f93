# Delay-loading import libraries for the system DLLs the frame does not need before
# it is shown. Loading a DLL under Wine (and on a slow disk under Windows) costs tens
# to hundreds of milliseconds at process start, whether or not the run ever calls it:
# the file dialogs (comdlg32, which brings the shell with it), the sockets (wsock32)
# and the device set-up calls (setupapi). Linked through these libraries, each DLL
# is loaded at its first call instead. The import library of each is read for its
# names and rewritten by dlltool as a delay-load library; __delayLoadHelper2 comes
# from the toolchain's libdelayimp.
function(tavex_delay_import_library dll out_var)
    set(import ${CMAKE_FIND_ROOT_PATH}/lib/lib${dll}.a)
    set(def ${PROJECT_BINARY_DIR}/delay/${dll}.def)
    set(lib ${PROJECT_BINARY_DIR}/delay/lib${dll}_delay.a)
    if(NOT EXISTS ${lib} OR ${import} IS_NEWER_THAN ${lib})
        execute_process(COMMAND ${CMAKE_NM} -g --defined-only ${import} OUTPUT_VARIABLE symbols
                        RESULT_VARIABLE failed)
        if(failed)
            message(FATAL_ERROR "cannot read ${import}")
        endif()
        # 64-bit: __imp_name; 32-bit: __imp__name@bytes, written without the leading
        # underscore and with its @bytes (dlltool --kill-at drops those from the name
        # looked up in the DLL).
        string(REGEX MATCHALL "__imp_[A-Za-z0-9_@]+" names "${symbols}")
        set(text "LIBRARY ${dll}.dll\nEXPORTS\n")
        foreach(name ${names})
            string(REGEX REPLACE "^__imp_" "" name ${name})
            if(CMAKE_SIZEOF_VOID_P EQUAL 4)
                string(REGEX REPLACE "^_" "" name ${name})
            endif()
            string(APPEND text "${name}\n")
        endforeach()
        file(WRITE ${def} "${text}")
        execute_process(COMMAND ${CMAKE_DLLTOOL} --kill-at --input-def ${def} --dllname ${dll}.dll
                                --output-delaylib ${lib}
                        RESULT_VARIABLE failed)
        if(failed)
            message(FATAL_ERROR "dlltool could not write ${lib}")
        endif()
    endif()
    set(${out_var} ${lib} PARENT_SCOPE)
endfunction()
