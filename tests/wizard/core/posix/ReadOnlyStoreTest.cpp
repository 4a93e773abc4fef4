// A key store that refuses writes (no write bits): the backup is still taken, every key and value the
// deployment could not write is named, the files are still made, and the run ends with exit code 1.
#include "../WizardMachine.h"
#include "wizard/core/UnattendedMode.h"

#include <sys/stat.h>

#include <sstream>

namespace qv::test {
namespace {

class ReadOnlyStoreTest : public WizardMachineTest {
protected:
    void TearDown() override {
        ::chmod(Store().c_str(), 0644);
        WizardMachineTest::TearDown();
    }
    std::string Store() const { return (m_machine.Path() / "registry.db").string(); }
    // The store is opened again, without its write bits.
    void MakeReadOnly() {
        {
            TempMachine elsewhere;
            RegistryKey key;
            key.Open("SOFTWARE", RegAccess::Read);
        }
        ASSERT_EQ(::chmod(Store().c_str(), 0444), 0);
    }
};

TEST_F(ReadOnlyStoreTest, KeysNotWrittenAreNamedAndTheRestIsDone) {
    StoreText(SiteKey(1), value::Directory, "old");
    MakeReadOnly();
    std::ostringstream out, err;
    const int code = UnattendedMode(out, err).Run({"/unattended", "/sites:all"}, Connect(), m_install);
    EXPECT_EQ(code, UnattendedMode::kFailed) << err.str();
    const std::string text = out.str();
    EXPECT_NE(text.find("Backup: "), std::string::npos) << text;
    EXPECT_NE(text.find("Site 3 (Shop), enabled: wrote error folder " + JoinPath(m_root3, "errors") +
                        ", 3 example files, rules file; FAILED: settings key not written (error 5).\n"),
              std::string::npos)
        << text;
    EXPECT_NE(
        text.find("Site 1 (Default Web Site), enabled: wrote error folder " + JoinPath(m_root1, "errors") +
                  ", 3 example files, rules file; FAILED: values not written: EnableDisable ServerState "
                  "Dyn404 SendErrorImage Logging LogThreshold LogDir Directory ExtList DynExtList "
                  "ImgFilters ImgExts.\n"),
        std::string::npos)
        << text;
    EXPECT_EQ(Text(1, value::Directory), "old");
}

} // namespace
} // namespace qv::test
