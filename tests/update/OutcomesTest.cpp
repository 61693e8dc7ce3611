// The outcome tables: what a deployment system, the log and the user read of every way a run can end.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "update/Outcomes.h"

namespace {

using namespace zr;

struct VerdictCase {
    zr::E_UPDATE_VERDICT verdict;
    int code;
    const char* decision;  // with installed 1.04 (EN) and package 1.05 (JA)
};

TEST(ExitCode, OfEveryVerdictIsWindowsInstallersValue) {
    const VerdictCase rows[] = {
        {zr::UPDATE_APPLIES, 0, "installed 1.04 is lower than 1.05, same language: update"},
        {zr::UPDATE_ALREADY_CURRENT, 0, "version 1.05 in this language is installed already, nothing to do"},
        {zr::UPDATE_NOT_INSTALLED, 1605, "no installation to update"},
        {zr::UPDATE_INSTALLATION_BUSY, 1618, "the installation is busy, try again later"},
        {zr::UPDATE_INSTALLATION_DAMAGED, 1603, "the installation cannot be updated"},
        {zr::UPDATE_PACKAGE_UNREADABLE, 1619, "no package to install"},
        {zr::UPDATE_PACKAGE_REFUSED, 1620, "the package carries no version, refused"},
        {zr::UPDATE_PACKAGE_DAMAGED, 1620,
         "the package is damaged or not from the maker, so its version and language are not believed: refused"},
        {zr::UPDATE_NEWER_INSTALLED, 1638, "installed 1.04 is newer than 1.05, nothing to do"},
        {zr::UPDATE_LANGUAGE_MISMATCH, 1623, "the package's language 0 (JA) is not the installation's 1 (EN)"},
    };
    for (const VerdictCase& row : rows) {
        SCOPED_TRACE(row.verdict);
        EXPECT_EQ(zr::ExitCodeOf(row.verdict), row.code);
        EXPECT_EQ(DecisionText(zr::VerdictRow(row.verdict), "1.04", "1.05", "1 (EN)", "0 (JA)"), row.decision);
    }
}

struct OutcomeCase {
    E_INSTALL_OUTCOME outcome;
    int code;
    const char* log;
    const char* message;  // English
};

TEST(ExitCode, OfEveryInstallOutcomeIsWindowsInstallersValue) {
    const OutcomeCase rows[] = {
        {INSTALL_DONE, 0, "updated, every file is in place", "Version up finished."},
        {INSTALL_PACKAGE_UNREADABLE, 1619, "the package cannot be read, nothing changed", "Version up failure."},
        {INSTALL_PACKAGE_REFUSED, 1620, "the package is refused, nothing changed", "Version up failure."},
        {INSTALL_PACKAGE_UNTRUSTED, 1620, "the package is damaged or not from the maker, nothing changed",
         "The update package is damaged or is not from the maker."},
        {INSTALL_BUSY, 1618, "another copy is installing, nothing changed", "Version up failure."},
        {INSTALL_FAILED, 1603, "failed, everything was put back", "Version up failure."},
        // Nothing changed, and the holder may let go: retried later, like the product running.
        {INSTALL_FILES_IN_USE, 1618, "files are in use by another program, nothing changed",
         "These files are used by another program. \nPlease close it and re-try this."},
    };
    for (const OutcomeCase& row : rows) {
        SCOPED_TRACE(row.outcome);
        EXPECT_EQ(zr::ExitCodeOf(row.outcome), row.code);
        EXPECT_STREQ(zr::OutcomeRow(row.outcome).szLog, row.log);
        EXPECT_STREQ(zr::OutcomeRow(row.outcome).message.english, row.message);
        EXPECT_GT(std::strlen(zr::OutcomeRow(row.outcome).message.japanese), 0u);
    }
}

TEST(RecoveryRow, OnlyAWholeInstallationMayBeUpdated) {
    const struct {
        E_RECOVERY recovery;
        const char* log;  // null: nothing logged
        E_UPDATE_VERDICT verdict;
    } rows[] = {
        {RECOVERY_NOTHING, nullptr, UPDATE_APPLIES},
        {RECOVERY_DONE, "finished, the installation is whole again", UPDATE_APPLIES},
        {RECOVERY_LIVE, "another copy is installing", UPDATE_INSTALLATION_BUSY},
        {RECOVERY_UNFINISHED, "cannot be finished now (a file in use)", UPDATE_INSTALLATION_BUSY},
        {RECOVERY_REFUSED, "its record is not the installer's, left alone", UPDATE_INSTALLATION_DAMAGED},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.recovery);
        if (row.log) {
            EXPECT_STREQ(RecoveryRow(row.recovery).szLog, row.log);
        } else {
            EXPECT_EQ(RecoveryRow(row.recovery).szLog, nullptr);
        }
        EXPECT_EQ(RecoveryRow(row.recovery).verdict, row.verdict);
    }
}

}  // namespace
