#include "settings_fixture.h"
#include "test_store.h"

namespace {

// Every reader takes a category's values from the schema: a number outside 1..3 names no key.
class UnknownCategory : public ::testing::TestWithParam<int> {};

TEST_P(UnknownCategory, IsRefused) {
    EXPECT_EQ(RaisedMessage([] { CategorySchema(GetParam()); }),
              QStringLiteral("Unknown category %1").arg(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Numbers, UnknownCategory, ::testing::Values(-1, 0, 4, 100),
                         [](const auto& info) {
                             return info.param < 0 ? "minus" + std::to_string(-info.param)
                                                   : std::to_string(info.param);
                         });

TEST(CategorySchemaTest, EveryValueLivesUnderItsCategorysKey) {
    for (const CategorySettings& schema : CategorySchemas()) {
        SCOPED_TRACE(schema.category);
        EXPECT_EQ(&CategorySchema(schema.category), &schema);
        for (const QString& key :
             {schema.unlockCode.keyPath, schema.extensions.keyPath, schema.itemCount.keyPath,
              schema.Title(7).keyPath, schema.Folder(7).keyPath, schema.Lock(7).keyPath})
            EXPECT_EQ(key, schema.keyPath);
        EXPECT_EQ(schema.Folder(12).valueName, "Folder012");
    }
}

// The kind a value is written with is the kind its reader expects back: text as REG_SZ, numbers
// and flags as REG_DWORD, so that what the program writes it can read again.
TEST_F(SettingsTest, SchemaWritesKeepTheirKinds) {
    WriteSetting(TestStore(), setting::ExitCode, QStringLiteral("1234"));
    WriteSetting(TestStore(), setting::ActiveDelay, 25);
    WriteSetting(TestStore(), setting::PlayerSkipFlg, true);
    SettingsStore& store = TestStore();
    auto kindOf = [&](const auto& s) {
        return store.ReadValue(RootKey::CurrentUser, s.keyPath, s.valueName).value().kind;
    };
    EXPECT_EQ(kindOf(setting::ExitCode), ValueKind::Sz);
    EXPECT_EQ(kindOf(setting::ActiveDelay), ValueKind::Dword);
    EXPECT_EQ(kindOf(setting::PlayerSkipFlg), ValueKind::Dword);
    EXPECT_EQ(ReadSetting(TestStore(), setting::ExitCode), "1234");
    EXPECT_EQ(ReadSetting(TestStore(), setting::ActiveDelay), 25);
    EXPECT_TRUE(ReadSetting(TestStore(), setting::PlayerSkipFlg));
}

} // namespace
