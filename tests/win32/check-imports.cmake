# Fails when a Windows program imports a DLL that Windows does not ship itself, such as the
# MinGW runtime's libstdc++-6.dll, libgcc_s_seh-1.dll or libwinpthread-1.dll.
#
#     cmake -DOBJDUMP=... -DPROGRAMS="a.exe;b.exe" -P check-imports.cmake
cmake_minimum_required(VERSION 3.25)
set(windows_own
    advapi32.dll comctl32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll
    oleaut32.dll setupapi.dll shell32.dll shlwapi.dll user32.dll uxtheme.dll version.dll)

foreach(program IN LISTS PROGRAMS)
    execute_process(COMMAND ${OBJDUMP} -p ${program} OUTPUT_VARIABLE headers
                    RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "cannot read ${program}")
    endif()
    string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${headers}")
    if(NOT imports)
        message(FATAL_ERROR "${program} imports nothing: not a Windows program?")
    endif()
    foreach(import IN LISTS imports)
        string(REPLACE "DLL Name: " "" dll "${import}")
        string(TOLOWER "${dll}" dll)
        if(NOT dll IN_LIST windows_own)
            message(FATAL_ERROR "${program} needs ${dll}, which Windows does not ship")
        endif()
        message(STATUS "${program}: ${dll}")
    endforeach()
endforeach()
