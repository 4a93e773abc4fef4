#include "AdminBaseContract.h"

#include "webserver/ModelAdminBase.h"

#include <tuple>

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

// Past a few properties a key finds them through an index: the order they are listed in, replacement in
// place, and a copy of the model must still hold, on both sides of that line.
TEST(MetabaseModel, PropertiesKeepTheirOrderAndAreFoundOnceIndexedAndInCopies) {
    for (const std::uint32_t count : {3u, 9u, 40u}) {
        MetabaseModel model;
        const auto key = model.AddKey(u"/LM/W3SVC/1");
        const auto other = model.AddKey(u"/LM/W3SVC/2");
        model.ReserveProperties(key, 2);
        for (std::uint32_t id = count; id > 0; --id)
            model.SetProperty(key, MetabaseProperty::Dword(id * 10, kIisMdUtServer, id, 0));
        model.SetDword(u"/LM/W3SVC/2", 10, kIisMdUtServer, 99, 0); // same id, another key
        model.SetProperty(key, MetabaseProperty::Dword(count * 10, kIisMdUtFile, 0, 0)); // replaces the first
        const MetabaseModel copy = model;
        for (const MetabaseModel* m : {static_cast<const MetabaseModel*>(&model), &copy}) {
            const std::vector<MetabaseProperty>& properties = m->Properties(key);
            ASSERT_EQ(properties.size(), count) << count;
            EXPECT_EQ(properties.front().userType, kIisMdUtFile) << count;
            for (std::uint32_t i = 0; i < count; ++i) {
                EXPECT_EQ(properties[i].identifier, (count - i) * 10) << count;
                EXPECT_EQ(m->FindProperty(key, (count - i) * 10), &properties[i]) << count;
            }
            EXPECT_EQ(m->FindProperty(key, 5), nullptr);
            EXPECT_EQ(m->Properties(other).size(), 1u);
            EXPECT_EQ(m->FindProperty(other, 10)->bytes, MetabaseProperty::Dword(10, 1, 99, 0).bytes);
        }
    }
}

TEST(MetabaseModel, DepthCountsSegmentsAndStopsPastItsLimit) {
    const std::tuple<std::u16string, std::size_t, std::size_t> cases[] = {{u"", SIZE_MAX, 0},
                                                                          {u"//\\", SIZE_MAX, 0},
                                                                          {u"/LM/W3SVC/1/ROOT", SIZE_MAX, 4},
                                                                          {u"LM\\W3SVC//1/", SIZE_MAX, 3},
                                                                          {u"/a/b/c/d/e", 2, 3},
                                                                          {u"/a/b", 2, 2}};
    for (const auto& [path, limit, depth] : cases)
        EXPECT_EQ(MetabaseModel::Depth(path, limit), depth);
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
