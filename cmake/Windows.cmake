# The Windows product: the framework layer, the dialog and its operations, the executable.

set(ZR_STATIC_LINK -static -static-libgcc -static-libstdc++)
target_link_options(mkvupcab PRIVATE ${ZR_STATIC_LINK})

add_library(zr_framework STATIC
    framework/AfxString.cpp
    framework/Dialog.cpp
    framework/Font.cpp
    framework/MessageBox.cpp
    framework/PaintDC.cpp
    framework/WinApp.cpp
    framework/Wnd.cpp
)
target_include_directories(zr_framework PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_definitions(zr_framework PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX)
target_link_libraries(zr_framework PUBLIC user32 gdi32)

# Placing files with a recovery record, and recovering from one. The test variant carries the fault
# switch (package/FaultPoint.h); the shipped executable never links it.
set(ZR_PLACEMENT_SOURCES
    package/FileIdentity.cpp
    package/InstallTransaction.cpp
    package/LongPath.cpp
    package/PlaceEntries.cpp
    package/Recovery.cpp
    package/RecoveryRecord.cpp
)
add_library(zr_placement STATIC ${ZR_PLACEMENT_SOURCES})
target_link_libraries(zr_placement PUBLIC zr_framework)
add_library(zr_placement_faults STATIC ${ZR_PLACEMENT_SOURCES} package/FaultPoint.cpp)
target_compile_definitions(zr_placement_faults PUBLIC ZR_FAULT_STEPS)
target_link_libraries(zr_placement_faults PUBLIC zr_framework)

# Everything of the tool but its entry and application object, so that tests can link it.
set(ZR_PRODUCT_SOURCES
    dialog/DialogTexts.cpp
    dialog/DisplayedVersion.cpp
    dialog/EnglishLook.cpp
    dialog/ExecuteCommand.cpp
    dialog/MinimisedIcon.cpp
    dialog/StartupEvaluation.cpp
    dialog/ZR5048VersionUpDlg.cpp
    install/FindInstallation.cpp
    install/LanguageSettings.cpp
    install/ProductRunning.cpp
    install/ProductVersion.cpp
    install/VersionLibrary.cpp
    package/InstallPackage.cpp
    package/ReadPackageHeader.cpp
)
add_library(zr_product STATIC ${ZR_PRODUCT_SOURCES})
target_link_libraries(zr_product PUBLIC zr_framework zr_package_directory zr_placement advapi32)
# The Japanese texts are code page 932 at run time.
set_source_files_properties(dialog/DialogTexts.cpp PROPERTIES COMPILE_OPTIONS "-finput-charset=UTF-8;-fexec-charset=CP932")

add_executable(ZR5048VersionUp WIN32
    app/ZR5048VersionUpApp.cpp
    framework/WinMain.cpp
    res/ZR5048VersionUp.rc
)
target_link_libraries(ZR5048VersionUp PRIVATE zr_product)
target_link_options(ZR5048VersionUp PRIVATE ${ZR_STATIC_LINK})

if(ZR_BUILD_TESTS)
    # The same tool with the fault switch, for the tests that end an installation at a chosen step.
    add_library(zr_product_faults STATIC ${ZR_PRODUCT_SOURCES})
    target_link_libraries(zr_product_faults PUBLIC zr_framework zr_package_directory zr_placement_faults advapi32)
    add_executable(ZR5048VersionUpFaults WIN32 app/ZR5048VersionUpApp.cpp framework/WinMain.cpp res/ZR5048VersionUp.rc)
    target_link_libraries(ZR5048VersionUpFaults PRIVATE zr_product_faults)
    target_link_options(ZR5048VersionUpFaults PRIVATE ${ZR_STATIC_LINK})
endif()

# The imitation installation (stand-in product executables, a planted version.dll).
add_subdirectory(tools/fixtures)
# The installer benchmark (bench/install): not a test, but built with everything so it keeps building.
add_executable(zr_install_bench bench/InstallBenchmark.cpp)
target_link_libraries(zr_install_bench PRIVATE zr_product zr_package_writer psapi)
target_link_options(zr_install_bench PRIVATE ${ZR_STATIC_LINK})
