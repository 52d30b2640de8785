#include "document/patch_document.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "document/container.h"
#include "document/module_registry.h"
#include "document/scramble.h"
#include "parameters/patch_manager.h"
#include "platform/files.h"
#include "platform/resources.h"
#include "tests/platform/fixtures/temp_folder.h"
#include "tests/support/archive_bytes.h"
#include "tests/support/message_capture.h"

namespace md {
namespace {

using test::ArchiveBytes;

// The document header of version v up to the root container, field by field.
ArchiveBytes Header(int32_t v) {
    ArchiveBytes b;
    b.le32(static_cast<uint32_t>(v));
    if (v > 82) b.le16(0);  // no embedded files
    if (v > 15 && v < 49) b.text("old");
    if (v > 20 && v < 48) b.raw(std::string(180, '\0'));
    b.text("document text");
    if (v >= 9) b.le32(1);
    if (v > 19 && v < 94960) b.le32(7);
    if (v > 44) b.le32(0);
    if (v > 55) b.text("Abcd");
    if (v > 61) b.text("text 2");
    if (v > 57) b.le32(1).text("option");
    if (v > 63) b.le32(0);              // can-mono off
    if (v > 56) b.le32(640).le32(480);  // panel size
    if (v > 68) b.le32(0x9).le32(32);   // VST flags, program count
    if (v > 70) b.text("vendor");
    if (v > 85) b.text("text 3");
    if (v > 68 && v < 94400) b.text("old 2");
    if (v > 68) b.text("product");
    if (v > 55) b.le32(0);  // no skins
    if (v > 95272) b.u8(0);
    return b;
}

// A plain module record with a title and no plugs; the first names the class, which then
// has index 3 (after the container's class and the container itself).
void Module(ArchiveBytes& b, std::string_view title, bool first_of_class) {
    if (first_of_class) {
        b.new_class("CUG");
    } else {
        b.class_ref(3);
    }
    b.text("").le16(0).text(title).le16(0).rect(1, 2, 3, 4);
}

// The root container of version v holding modules with the given titles.
ArchiveBytes RootWithChildren(int32_t v, const std::vector<std::string>& titles,
                              bool with_patch_manager = false) {
    ArchiveBytes b = Header(v);
    b.new_class("CContainer", 95).text("Container").le16(0).text("root").le16(0).rect(0, 0, 0, 0);
    if (v > 95269) {
        if (with_patch_manager) {
            // Current patch, no names, no parameters (ended by type -1).
            b.new_class("CPatchManager").le32(0).le32(0).le32(0xFFFFFFFF);
        } else {
            b.null();
        }
    }
    if (v < 95321) b.le32(static_cast<uint32_t>(titles.size()));
    for (size_t i = 0; i < titles.size(); ++i) Module(b, titles[i], i == 0);
    if (v >= 95321) b.null();
    if (v > 94950) b.rect(5, 6, 7, 8);
    b.rect(30, 30, 530, 330).rect(0, 0, 500, 400);
    b.le32(1).le32(2).le32(3).le32(4);
    b.le32(0x10);
    b.text("myskin");
    if (v > 49 && v < 95270) b.le16(2).text("First").text("Second").le32(1);
    if (v > 94950) b.u8(1);
    return b;
}

LoadOptions ToolMode() {
    LoadOptions o;
    o.plugin_mode = false;
    return o;
}

TEST(PatchDocumentLoad, ContainerRecordAroundThePatchManagerVersions) {
    for (int32_t v : {95269, 95270, 95320, 95321, 95540}) {
        SCOPED_TRACE(v);
        ApplicationFiles app;
        PatchDocument doc(app);
        const ArchiveBytes b = RootWithChildren(v, {"one", "two"});
        ASSERT_TRUE(doc.LoadFromBytes(b.bytes(), ToolMode())) << doc.error();
        // Written back at the current version, the file reads the same again.
        const std::vector<uint8_t> saved = doc.Save();
        PatchDocument again(app);
        ASSERT_TRUE(again.LoadFromBytes(saved, ToolMode())) << again.error();
        EXPECT_EQ(again.Save(), saved);
        const CContainer* root = doc.root();
        ASSERT_NE(root, nullptr);
        ASSERT_EQ(root->children().size(), 2u);
        EXPECT_EQ(static_cast<const CUG*>(root->children()[1].get())->title(), "two");
        // Fields after the children are read from the right place.
        EXPECT_EQ(root->skin_name(), "myskin");
        EXPECT_EQ(root->container_flags(), 0x10);
        EXPECT_TRUE(root->spare_hidden());
        ASSERT_NE(root->patch_manager(), nullptr);
        if (v == 95269) {
            EXPECT_EQ(root->patch_manager()->GetPatchName(1), "Second");
            EXPECT_EQ(root->patch_manager()->current_patch(), 1);
        }
        EXPECT_EQ(doc.header().plugin_id, "Abcd");
        EXPECT_EQ(doc.header().vst_flags, 0x9);
        EXPECT_EQ(doc.header().program_count, 32);
        EXPECT_FALSE(doc.header().can_mono);
        EXPECT_EQ(doc.header().panel_width, 640);
    }
}

TEST(PatchDocumentLoad, EmptyRootEndsWithTheNullTag) {
    ApplicationFiles app;
    PatchDocument doc(app);
    const ArchiveBytes b = RootWithChildren(95540, {}, true);
    ASSERT_TRUE(doc.LoadFromBytes(b.bytes(), ToolMode())) << doc.error();
    EXPECT_TRUE(doc.root()->children().empty());
    // Outside plug-in mode the document keeps every field, so the writer gives the same bytes.
    EXPECT_EQ(doc.Save(), b.bytes());
}

TEST(PatchDocumentLoad, OldFileNamesTypesByLegacyNumber) {
    // Version 56: types by legacy number, the owning container after each object's type, a
    // counted child list, the old patch-name list, and no stored panel size.
    ArchiveBytes b = Header(56);
    b.new_class("CContainer", 95).le32(3).null().le16(0).text("root").le16(0).rect(0, 0, 0, 0);
    b.le32(1);
    b.new_class("CUG").le32(2).object_ref(2).le16(0).text("env").le16(0).rect(0, 0, 0, 0);
    b.rect(10, 20, 410, 320).rect(0, 0, 500, 400).le32(0).le32(0).le32(0).le32(0).le32(0);
    b.text("default").le16(1).text("Init").le32(0);
    ApplicationFiles app;
    PatchDocument doc(app);
    ASSERT_TRUE(doc.LoadFromBytes(b.bytes(), ToolMode())) << doc.error();
    ASSERT_EQ(doc.root()->children().size(), 1u);
    ASSERT_NE(doc.root()->type(), nullptr);
    EXPECT_EQ(doc.root()->type()->GetId(), "Container");
    const CDocOb* env = doc.root()->children()[0].get();
    ASSERT_NE(env->type(), nullptr);
    EXPECT_EQ(env->type()->GetId(), "ADSR");
    EXPECT_EQ(doc.root()->patch_manager()->GetPatchName(0), "Init");
    EXPECT_EQ(doc.header().panel_width, 400);
    EXPECT_EQ(doc.header().panel_height, 300);
}

TEST(PatchDocumentLoad, PluginModeDropsTheUnusedHeaderTexts) {
    ApplicationFiles app;
    PatchDocument doc(app);
    ASSERT_TRUE(doc.LoadFromBytes(RootWithChildren(95540, {}).bytes(), LoadOptions{}));
    EXPECT_EQ(doc.header().document_text, "");
    EXPECT_EQ(doc.header().product_text, "");
    EXPECT_EQ(doc.header().vendor_text, "vendor");
}

TEST(PatchDocumentLoad, NewerVersionIsCancelledWithItsMessage) {
    test::MessageCapture messages;
    ApplicationFiles app;
    PatchDocument doc(app);
    EXPECT_FALSE(doc.LoadFromBytes(RootWithChildren(95541, {}).bytes(), ToolMode()));
    EXPECT_EQ(doc.root(), nullptr);
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(messages.messages()[0].text,
              "Load Cancelled.  File created by a newer version of Modara (V955.41). See Modara "
              "web site for latest version.");
    EXPECT_EQ(messages.messages()[0].icon, platform::MessageIcon::Information);
    messages.clear();
    EXPECT_TRUE(doc.LoadFromBytes(RootWithChildren(95540, {}).bytes(), ToolMode()));
    EXPECT_TRUE(messages.messages().empty());
}

TEST(PatchDocumentLoad, MalformedArchiveLeavesNoTree) {
    ApplicationFiles app;
    PatchDocument doc(app);
    ASSERT_TRUE(doc.LoadFromBytes(RootWithChildren(95540, {"a"}).bytes(), ToolMode()));
    std::vector<uint8_t> bytes = RootWithChildren(95540, {"a", "b"}).bytes();
    // Every truncation fails cleanly; none leaves a root behind.
    for (size_t n = 0; n + 1 < bytes.size(); n += 7) {
        const std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<long>(n));
        EXPECT_FALSE(doc.LoadFromBytes(cut, ToolMode())) << n;
        EXPECT_EQ(doc.root(), nullptr);
        EXPECT_FALSE(doc.error().empty());
    }
}

class PatchDocumentFiles : public ::testing::Test {
protected:
    std::string library() const { return temp_ / "Synth.so"; }
    std::string dat() const { return temp_ / "Synth.dat"; }
    std::string data_folder() const { return temp_ / "Synth/"; }

    static std::vector<uint8_t> RootTitled(std::string_view title) {
        ArchiveBytes b = Header(95540);
        b.new_class("CContainer", 95).text("Container").le16(0).text(title).le16(0);
        b.rect(0, 0, 0, 0).null().null().rect(0, 0, 0, 0).rect(0, 0, 0, 0).rect(0, 0, 0, 0);
        b.le32(0).le32(0).le32(0).le32(0).le32(0).text("default").u8(0);
        return b.bytes();
    }

    test::TempFolder temp_;
};

TEST_F(PatchDocumentFiles, ResourceIsPreferredOverTheDataFile) {
    ASSERT_TRUE(platform::WriteWholeFile(library(), std::vector<uint8_t>(100, 0x90)));
    std::vector<uint8_t> embedded = RootTitled("from resource");
    ScrambleBytes(embedded);
    ASSERT_TRUE(platform::WriteResources(library(),
                                         std::vector<platform::Resource>{{"MD1", 165, embedded}}));
    ASSERT_TRUE(platform::WriteWholeFile(dat(), RootTitled("from dat")));

    ApplicationFiles app;
    PatchDocument doc(app);
    ASSERT_TRUE(doc.Load(library()));
    EXPECT_EQ(doc.root()->title(), "from resource");

    ASSERT_TRUE(platform::StripResources(library()));
    ASSERT_TRUE(doc.Load(library()));
    EXPECT_EQ(doc.root()->title(), "from dat");
}

TEST_F(PatchDocumentFiles, DamagedPatchIsReportedAndLeavesNoTree) {
    ASSERT_TRUE(platform::WriteWholeFile(library(), std::vector<uint8_t>(10, 0)));
    std::vector<uint8_t> bytes = RootTitled("cut short");
    bytes.resize(bytes.size() / 2);
    ASSERT_TRUE(platform::WriteWholeFile(dat(), bytes));
    test::MessageCapture messages;
    ApplicationFiles app;
    PatchDocument doc(app);
    EXPECT_FALSE(doc.Load(library()));
    EXPECT_EQ(doc.root(), nullptr);
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_TRUE(messages.messages()[0].text.starts_with(
        "Synth.so: Can't load the patch, its data is damaged. ("))
        << messages.messages()[0].text;
}

TEST_F(PatchDocumentFiles, MissingDataFileIsReported) {
    ASSERT_TRUE(platform::WriteWholeFile(library(), std::vector<uint8_t>(10, 0)));
    test::MessageCapture messages;
    ApplicationFiles app;
    PatchDocument doc(app);
    EXPECT_FALSE(doc.Load(library()));
    EXPECT_EQ(doc.root(), nullptr);
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(messages.messages()[0].text, "Synth: Can't find plugin data file. (" + dat() + ")");
    EXPECT_EQ(messages.messages()[0].icon, platform::MessageIcon::Warning);
}

// A patch of version 95540 carrying the given embedded files and an empty root.
std::vector<uint8_t> WithFiles(const std::vector<EmbeddedFile>& files) {
    ArchiveBytes b;
    b.le32(95540).le16(static_cast<uint16_t>(files.size()));
    for (size_t i = 0; i < files.size(); ++i) {
        if (i == 0) {
            b.new_class("imbedded_file");
        } else {
            b.class_ref(1);
        }
        b.text(files[i].name)
            .le32(static_cast<uint32_t>(files[i].data.size()))
            .append(files[i].data);
    }
    const std::vector<uint8_t> rest = Header(95540).bytes();
    // The header after its version and empty file list.
    b.append(std::vector<uint8_t>(rest.begin() + 6, rest.end()));
    b.new_class("CContainer", 95).text("Container").le16(0).text("root").le16(0);
    b.rect(0, 0, 0, 0).null().null().rect(0, 0, 0, 0).rect(0, 0, 0, 0).rect(0, 0, 0, 0);
    b.le32(0).le32(0).le32(0).le32(0).le32(0).text("default").u8(0);
    return b.bytes();
}

TEST_F(PatchDocumentFiles, EmbeddedMediaFileIsFoundByItsNameInAnyCase) {
    const std::vector<uint8_t> wave = {'R', 'I', 'F', 'F', 1, 2, 3};
    ApplicationFiles app;
    PatchDocument doc(app);
    LoadOptions options;
    options.data_folder = data_folder();
    options.library_path = library();
    ASSERT_TRUE(doc.LoadFromBytes(WithFiles({{"C:\\Samples\\Kick.wav", wave}}), options))
        << doc.error();
    ASSERT_EQ(app.embedded.size(), 1u);
    // Media files stay in memory: nothing is written.
    EXPECT_FALSE(platform::FileExists(data_folder() + "Kick.wav"));
    for (const char* name : {"kick.wav", "D:\\Elsewhere\\KICK.WAV", "kick"}) {
        SCOPED_TRACE(name);
        auto file = doc.OpenDataFile(name, "wav");
        ASSERT_TRUE(file.has_value());
        EXPECT_EQ(file->ReadAll(), wave);
    }
    EXPECT_FALSE(doc.OpenDataFile("snare.wav", "wav").has_value());
}

TEST_F(PatchDocumentFiles, ExtractedFileIsRenewedOnlyWhenOlderThanTheLibrary) {
    ASSERT_TRUE(platform::WriteWholeFile(library(), std::vector<uint8_t>(10, 0)));
    const int64_t library_time = *platform::LastWriteTime(library());
    ASSERT_TRUE(platform::CreateFolder(data_folder()));
    const std::string newer = data_folder() + "Newer.dll";
    const std::string older = data_folder() + "Older.dll";
    ASSERT_TRUE(
        platform::WriteWholeFile(newer, std::vector<uint8_t>{'o', 'n', 'd', 'i', 's', 'k'}));
    ASSERT_TRUE(platform::SetLastWriteTime(newer, library_time + 10'000'000'000));
    ASSERT_TRUE(platform::WriteWholeFile(older, std::vector<uint8_t>{'s', 't', 'a', 'l', 'e'}));
    ASSERT_TRUE(platform::SetLastWriteTime(older, library_time - 10'000'000'000));

    const std::vector<uint8_t> content = {'p', 'a', 't', 'c', 'h'};
    const auto registered = [](const std::string& name) {
        const auto& files = Registry().files();
        return std::count(files.begin(), files.end(), platform::JoinPath("", name));
    };
    const auto newer_before = registered("Newer.dll");
    ApplicationFiles app;
    PatchDocument doc(app);
    LoadOptions options;
    options.data_folder = data_folder();
    options.library_path = library();
    ASSERT_TRUE(doc.LoadFromBytes(
        WithFiles(
            {{"C:\\Libs\\Newer.dll", content}, {"Older.dll", content}, {"Fresh.dll", content}}),
        options))
        << doc.error();
    EXPECT_EQ(*platform::ReadWholeFile(newer),
              (std::vector<uint8_t>{'o', 'n', 'd', 'i', 's', 'k'}));
    EXPECT_EQ(*platform::ReadWholeFile(older), content);
    EXPECT_EQ(*platform::ReadWholeFile(data_folder() + "Fresh.dll"), content);
    // All three are registered, the one left alone too; none stays in memory.
    EXPECT_EQ(registered("Newer.dll"), newer_before + 1);
    EXPECT_GE(registered("Older.dll"), 1);
    EXPECT_GE(registered("Fresh.dll"), 1);
    EXPECT_TRUE(app.embedded.empty());
}

TEST_F(PatchDocumentFiles, ExtractedFilesStayInsideTheDataFolder) {
    ApplicationFiles app;
    PatchDocument doc(app);
    LoadOptions options;
    options.data_folder = data_folder();
    options.library_path = library();
    const std::vector<uint8_t> content = {'x'};
    ASSERT_TRUE(doc.LoadFromBytes(WithFiles({{"..\\..\\Escape.dll", content},
                                             {"../Up.dll", content},
                                             {"..", content},
                                             {"", content}}),
                                  options))
        << doc.error();
    EXPECT_TRUE(platform::FileExists(data_folder() + "Escape.dll"));
    EXPECT_TRUE(platform::FileExists(data_folder() + "Up.dll"));
    EXPECT_FALSE(platform::FileExists(temp_ / "Escape.dll"));
    EXPECT_FALSE(platform::FileExists(temp_ / "Up.dll"));
    // Nothing else was written: the names "..", "" give no file at all.
    std::vector<std::string> written;
    for (const auto& e : std::filesystem::directory_iterator(data_folder())) {
        written.push_back(e.path().filename().string());
    }
    std::sort(written.begin(), written.end());
    EXPECT_EQ(written, (std::vector<std::string>{"Escape.dll", "Up.dll"}));
}

TEST_F(PatchDocumentFiles, SecondLoadKeepsTheFirstEmbeddedFiles) {
    ApplicationFiles app;
    PatchDocument doc(app);
    LoadOptions options;
    options.data_folder = data_folder();
    ASSERT_TRUE(doc.LoadFromBytes(WithFiles({{"a.wav", {1}}}), options));
    ASSERT_TRUE(doc.LoadFromBytes(WithFiles({{"b.wav", {2}}}), options));
    ASSERT_EQ(app.embedded.size(), 1u);
    EXPECT_EQ(app.embedded[0].name, "a.wav");
}

}  // namespace
}  // namespace md
