#include "AdminBaseContract.h"

#include "webserver/ModelAdminBase.h"

namespace qv::test {
namespace {

std::unique_ptr<AdminBase> MakeModel() {
    return std::make_unique<ModelAdminBase>(std::make_shared<const MetabaseModel>(ContractModel()));
}

INSTANTIATE_TEST_SUITE_P(Model, AdminBaseContract,
                         ::testing::Values(AdminBaseFactory{"Model", MakeModel, ContractModelFacts()}));

// Child order and case-blind paths on lookups are held by the contract; here the spellings keys arrive in.
TEST(MetabaseModel, KeysTakeTheirPlaceWhenFirstNamedAndMatchWithoutCase) {
    MetabaseModel model;
    model.AddKey(u"/LM/W3SVC/1/ROOT/Caf\u00e9");
    model.AddKey(u"\\LM\\W3SVC\\Filters\\Compression\\gzip");
    model.AddKey(u"/LM/W3SVC/filters", u"IIsFilters"); // the same key, spelled otherwise
    model.AddKey(u"//LM/W3SVC/2/");
    const auto service = model.Find(u"/LM/W3SVC");
    ASSERT_TRUE(service);
    ASSERT_EQ(model.ChildCount(*service), 3u);
    EXPECT_EQ(model.Name(model.Child(*service, 1)), u"Filters");
    EXPECT_EQ(model.KeyType(model.Child(*service, 1)), u"IIsFilters");
    EXPECT_EQ(model.Name(model.Child(*service, 2)), u"2");
    EXPECT_TRUE(model.Find(u"/lm/w3svc/1/root/CAF\u00c9"));
    EXPECT_FALSE(model.Find(u"/LM/W3SVC/1/ROOT/Cafe"));
    // A property set again replaces the first.
    model.SetText(u"/LM/W3SVC/2", kMdServerComment, kIisMdUtServer, u"old", kMetadataInherit);
    model.SetDword(u"/LM/W3SVC/2", kMdServerComment, kIisMdUtServer, 7, 0);
    const auto site = model.Find(u"/LM/W3SVC/2");
    ASSERT_EQ(model.Properties(*site).size(), 1u);
    EXPECT_EQ(model.FindProperty(*site, kMdServerComment)->dataType, kDwordMetadata);
}

TEST(ModelAdminBase, HandlesAreNeverReused) {
    ModelAdminBase admin(std::make_shared<const MetabaseModel>(ContractModel()));
    MetadataHandle first = 0, second = 0;
    ASSERT_EQ(admin.OpenKey(kMetadataMasterRootHandle, u"/LM/W3SVC/1", kMetadataPermissionRead, 0, &first),
              kS_OK);
    ASSERT_EQ(admin.CloseKey(first), kS_OK);
    ASSERT_EQ(admin.OpenKey(kMetadataMasterRootHandle, u"/LM/W3SVC/2", kMetadataPermissionRead, 0, &second),
              kS_OK);
    EXPECT_NE(first, second);
    EXPECT_EQ(admin.OpenHandleCount(), 1u);
    EXPECT_EQ(admin.OpenKey(kMetadataMasterRootHandle, u"/LM", kMetadataPermissionRead, 0, nullptr),
              kErrInvalidParameter);
}

} // namespace
} // namespace qv::test
