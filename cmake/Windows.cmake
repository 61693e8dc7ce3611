# The Windows product: the framework layer, the dialog and its operations, the executable.

set(ZR_STATIC_LINK -static -static-libgcc -static-libstdc++)
# The package tool ships in a release too: without the symbols and debug sections the static runtime
# brings along.
target_link_options(mkvupcab PRIVATE ${ZR_STATIC_LINK} -s)

add_library(zr_framework STATIC
    framework/Dialog.cpp
    framework/DisplayScale.cpp
    framework/DllSearch.cpp
    framework/Font.cpp
    framework/FreshMessageBox.cpp
    framework/MessageBox.cpp
    framework/PaintDC.cpp
    framework/TextEncoding.cpp
    framework/WinApp.cpp
    framework/Wnd.cpp
)
target_include_directories(zr_framework PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_definitions(zr_framework PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX)
target_link_libraries(zr_framework PUBLIC user32 gdi32)

# The keys each executable trusts: the shipped tool those of ZR_PACKAGE_KEYS, programs that must not
# depend on that choice none, and the test variants a test key pair (tests/fixtures/keys, for tests
# only). The installer asks CompiledPackageKeys(), which each executable links exactly once.
zr_package_keys(zr_keys_shipped ${ZR_PACKAGE_KEYS})
zr_package_keys(zr_keys_none)
zr_package_keys(zr_keys_test ${CMAKE_SOURCE_DIR}/tests/fixtures/keys/test-first.pub
                             ${CMAKE_SOURCE_DIR}/tests/fixtures/keys/test-second.pub)

# The work below the dialog, one library per folder: the file system's vocabulary (long paths, file
# identity), the journal (the recovery record, the transaction that writes it ahead of every change,
# recovery from it), the install pipeline (the package read once, planned, placed). The test variants
# carry the fault switch (journal/FaultPoint.h); the shipped executable never links it.
add_library(zr_files STATIC files/FileIdentity.cpp files/FileInUse.cpp files/LongPath.cpp)
target_link_libraries(zr_files PUBLIC zr_framework)
set(ZR_JOURNAL_SOURCES journal/InstallTransaction.cpp journal/Recovery.cpp journal/RecoveryRecord.cpp)
set(ZR_INSTALLER_SOURCES installer/FileHolders.cpp installer/PackageInstall.cpp installer/PackagePlan.cpp
    installer/PackageReader.cpp installer/TakeDestinations.cpp)
add_library(zr_journal STATIC ${ZR_JOURNAL_SOURCES})
target_link_libraries(zr_journal PUBLIC zr_files)
add_library(zr_installer STATIC ${ZR_INSTALLER_SOURCES})
target_link_libraries(zr_installer PUBLIC zr_journal zr_trust zr_format)
if(ZR_BUILD_TESTS)
    add_library(zr_journal_faults STATIC ${ZR_JOURNAL_SOURCES} journal/FaultPoint.cpp)
    target_compile_definitions(zr_journal_faults PUBLIC ZR_FAULT_STEPS)
    target_link_libraries(zr_journal_faults PUBLIC zr_files)
    add_library(zr_installer_faults STATIC ${ZR_INSTALLER_SOURCES})
    target_link_libraries(zr_installer_faults PUBLIC zr_journal_faults zr_trust zr_format)
endif()

# The installed product, the update below the dialog, and the dialogs: one library per folder, and
# zr_dialog is everything of the tool but its entry and application object, so that tests can link it.
add_library(zr_product STATIC
    product/FindInstallation.cpp
    product/LanguageSettings.cpp
    product/ProductRunning.cpp
    product/ProductVersion.cpp
)
target_link_libraries(zr_product PUBLIC zr_framework zr_product_rules advapi32)
add_library(zr_update STATIC
    update/DeploymentLog.cpp
    update/LogFile.cpp
    update/DisplayedVersion.cpp
    update/LoggedProgress.cpp
    update/UpdateEvaluation.cpp
)
target_link_libraries(zr_update PUBLIC zr_product zr_update_rules zr_installer)
add_library(zr_dialog STATIC
    dialog/DialogTexts.cpp
    dialog/DisplayScale.cpp
    dialog/EnglishLook.cpp
    dialog/ExecuteCommand.cpp
    dialog/FilesInUseMessage.cpp
    dialog/InstallWorker.cpp
    dialog/MinimisedIcon.cpp
    dialog/PassiveProgressDlg.cpp
    dialog/StartupEvaluation.cpp
    dialog/TaskbarProgress.cpp
    dialog/UnseenUpdateEnd.cpp
    dialog/ZR5048VersionUpDlg.cpp
)
target_link_libraries(zr_dialog PUBLIC zr_update)
# The Japanese texts are code page 932 at run time.
set_source_files_properties(dialog/DialogTexts.cpp PROPERTIES COMPILE_OPTIONS "-finput-charset=UTF-8;-fexec-charset=CP932")

# The tool's entry, application object and resources: the shipped build and the keyed test build
# differ only in the keys they carry.
set(ZR_TOOL_SOURCES
    app/UnattendedRun.cpp
    app/ZR5048VersionUpApp.cpp
    framework/WinMain.cpp
    res/ZR5048VersionUp.rc
)
add_executable(ZR5048VersionUp WIN32 ${ZR_TOOL_SOURCES})
target_link_libraries(ZR5048VersionUp PRIVATE zr_dialog zr_app_rules zr_keys_shipped)
# The shipped file carries no symbols or debug sections (the static runtime brings DWARF along);
# ASLR and DEP stay on (the linker's defaults, checked by the pe_form test).
target_link_options(ZR5048VersionUp PRIVATE ${ZR_STATIC_LINK} -s -Wl,--dynamicbase -Wl,--nxcompat)

if(ZR_BUILD_TESTS)
    # The tool as a maker's build with keys: the test key pair's two public keys.
    add_executable(ZR5048VersionUpKeyed WIN32 ${ZR_TOOL_SOURCES})
    target_link_libraries(ZR5048VersionUpKeyed PRIVATE zr_dialog zr_app_rules zr_keys_test)
    target_link_options(ZR5048VersionUpKeyed PRIVATE ${ZR_STATIC_LINK} -s)
    # Under the shipped name (message boxes carry it as their caption), in a folder of its own.
    set_target_properties(ZR5048VersionUpKeyed PROPERTIES OUTPUT_NAME ZR5048VersionUp
                                                          RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/keyed)
endif()

# The imitation installation (stand-in product executables, a planted version.dll).
add_subdirectory(tools/fixtures)
# The installer benchmark (bench/install): not a test, but built with everything so it keeps building.
add_executable(zr_install_bench bench/InstallBenchmark.cpp bench/SafeStepsFloor.cpp bench/StraceSummary.cpp)
target_link_libraries(zr_install_bench PRIVATE zr_dialog zr_keys_none zr_package_writer zr_package_signing psapi)
target_link_options(zr_install_bench PRIVATE ${ZR_STATIC_LINK})
