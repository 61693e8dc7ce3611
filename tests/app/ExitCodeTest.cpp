// The exit-code table: what a deployment system reads of every way a run can end.
#include <gtest/gtest.h>

#include "app/ExitCode.h"

namespace {

using namespace zr;

struct VerdictRow {
    zr::E_UPDATE_VERDICT verdict;
    int code;
};

TEST(ExitCode, OfEveryVerdictIsWindowsInstallersValue) {
    const VerdictRow rows[] = {
        {zr::UPDATE_APPLIES, 0},
        {zr::UPDATE_ALREADY_CURRENT, 0},
        {zr::UPDATE_NOT_INSTALLED, 1605},
        {zr::UPDATE_INSTALLATION_BUSY, 1618},
        {zr::UPDATE_INSTALLATION_DAMAGED, 1603},
        {zr::UPDATE_PACKAGE_UNREADABLE, 1619},
        {zr::UPDATE_PACKAGE_REFUSED, 1620},
        {zr::UPDATE_PACKAGE_DAMAGED, 1620},
        {zr::UPDATE_NEWER_INSTALLED, 1638},
        {zr::UPDATE_LANGUAGE_MISMATCH, 1623},
    };
    for (const VerdictRow& row : rows) {
        SCOPED_TRACE(row.verdict);
        EXPECT_EQ(zr::ExitCodeOf(row.verdict), row.code);
    }
}

struct OutcomeRow {
    E_INSTALL_OUTCOME outcome;
    int code;
};

TEST(ExitCode, OfEveryInstallOutcomeIsWindowsInstallersValue) {
    const OutcomeRow rows[] = {
        {INSTALL_DONE, 0},
        {INSTALL_PACKAGE_UNREADABLE, 1619},
        {INSTALL_PACKAGE_REFUSED, 1620},
        {INSTALL_PACKAGE_UNTRUSTED, 1620},
        {INSTALL_BUSY, 1618},
        {INSTALL_FAILED, 1603},
        // Nothing changed, and the holder may let go: retried later, like the product running.
        {INSTALL_FILES_IN_USE, 1618},
    };
    for (const OutcomeRow& row : rows) {
        SCOPED_TRACE(row.outcome);
        EXPECT_EQ(zr::ExitCodeOf(row.outcome), row.code);
    }
}

}  // namespace
