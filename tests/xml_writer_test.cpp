// Tests of the XML output: escaping and buffering of the sink, the attribute
// text of values, the rendering of a document, a whole document parsed back by
// libxml2, and the atomic replace of the file with its failure paths.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

#include "common/codepage.h"
#include "common/text.h"
#include "estimate/atomic_file_sink.h"
#include "estimate/estimate_document.h"
#include "estimate/xml_writer.h"
#include "platform/file_faults.h"
#include "tests/support/error_message.h"
#include "tests/support/file_bytes.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/xml_tree.h"

namespace ranta2kv {
namespace {

namespace fs = std::filesystem;
using test::ErrorMessage;
using test::ReadFileBytes;
using test::ScratchFolder;
using Names = std::vector<std::string>;

constexpr std::string_view kDeclaration = "<?xml version=\"1.0\" encoding=\"windows-1251\"?>";

std::string Render(const TXML_Estimate_Document& document, char separator = '.') {
  StringXmlSink sink;
  document.SaveToSink(sink, separator);
  return sink.Text();
}

std::string AttributeText(std::string_view value) {
  StringXmlSink sink;
  sink.WriteAttribute("a", value);
  return sink.Text();
}

// The first sign's "Caption" attribute as the document renders it ("" for none).
std::string SignCaption(const Variant& value, char separator = '.') {
  TXML_Estimate_Document document;
  document.Signs()->GetChild(0)->SetValue(0, value);
  std::string text = Render(document, separator);
  std::size_t start = text.find("<Signs><Sign") + 12;
  return text.substr(start, text.find("/>", start) - start);
}

Names FolderEntries(const fs::path& folder) {
  Names names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(XmlSinkTest, EscapesMarkupAndWritesTabAndLineBreaksAsReferences) {
  EXPECT_EQ(AttributeText("a&b<c>d\"e'f"), " a=\"a&amp;b&lt;c&gt;d&quot;e'f\"");
  EXPECT_EQ(AttributeText("\ta\r\nb\t"), " a=\"&#9;a&#13;&#10;b&#9;\"");
}

TEST(XmlSinkTest, LeavesOutBytesXmlCannotCarry) {
  EXPECT_EQ(AttributeText(std::string("a\0b\x01\x08\x0B\x0C\x0E\x1F\x98" "c", 12)), " a=\"abc\"");
  StringXmlSink sink;
  EXPECT_FALSE(sink.WriteAttribute("a", "\x01\x98"));  // nothing left: no attribute
  EXPECT_EQ(sink.Text(), "");
}

TEST(XmlSinkTest, Windows1251BytesPassUnchangedDashesBecomeSpaces) {
  EXPECT_EQ(AttributeText("Смета №1 ё"_cp1251), " a=\"" + std::string("Смета №1 ё"_cp1251) + "\"");
  EXPECT_EQ(AttributeText("\x80\x97\x99\xFF"), " a=\"\x80\x97\x99\xFF\"");
  EXPECT_EQ(AttributeText("1\x96" "2\xA0" "3"), " a=\"1 2 3\"");
}

class ChunkRecordingSink : public XmlSink {
 public:
  explicit ChunkRecordingSink(std::size_t bufferSize) : XmlSink(bufferSize) {}
  std::vector<std::size_t> chunks;
  std::string text;

 protected:
  void WriteChunk(std::string_view bytes) override {
    chunks.push_back(bytes.size());
    text.append(bytes);
  }
};

TEST(XmlSinkTest, WritesInChunksOfItsBufferWhateverTheBufferSize) {
  std::string value;
  for (int i = 0; i < 1000; ++i) value += static_cast<char>(i % 7 == 0 ? '&' : 'a' + i % 26);
  ChunkRecordingSink small(64), large(XmlSink::kDefaultBufferSize);
  for (int i = 0; i < 3000; ++i) {
    for (ChunkRecordingSink* sink : {&small, &large}) {
      sink->BeginElement("X");
      sink->WriteAttribute("a", value);
      sink->EndEmptyElement();
    }
  }
  small.Flush();
  large.Flush();
  EXPECT_EQ(small.text, large.text);
  ASSERT_GE(large.chunks.size(), 4u);
  for (std::size_t i = 0; i + 1 < large.chunks.size(); ++i) {
    EXPECT_GT(large.chunks[i], XmlSink::kDefaultBufferSize - 2000);
  }
}

TEST(AttributeTextTest, NumbersAndEmptyValues) {
  EXPECT_EQ(SignCaption(Variant(0)), " Caption=\"0\"");
  EXPECT_EQ(SignCaption(Variant(std::int64_t{-123456789012})), " Caption=\"-123456789012\"");
  EXPECT_EQ(SignCaption(Variant(1234.5), ','), " Caption=\"1234,5\"");
  EXPECT_EQ(SignCaption(Variant(0.00001)), " Caption=\"1E-5\"");
  EXPECT_EQ(SignCaption(Variant(1.0 / 3)), " Caption=\"0.333333333333333\"");
  EXPECT_EQ(SignCaption(Variant::Currency(15000), ','), " Caption=\"1,5\"");
  for (const Variant& none : {Variant(), Variant::Null(), Variant("   "), Variant(""), Variant::DateTime(1e12)}) {
    EXPECT_EQ(SignCaption(none), "");
  }
}

TEST(AttributeTextTest, CleanUpRule) {
  EXPECT_EQ(SignCaption(Variant("\r\nText  ")), " Caption=\"Text\"");
  EXPECT_EQ(SignCaption(Variant("\tText\t")), " Caption=\"&#9;Text&#9;\"");
  EXPECT_EQ(SignCaption(Variant("a\r\nb")), " Caption=\"a&#13;&#10;b\"");
  EXPECT_EQ(SignCaption(Variant("a\xA0" "b\x96" "c")), " Caption=\"a b c\"");
  EXPECT_EQ(SignCaption(Variant("\x96\xA0" "a\xA0\x96")), " Caption=\"a\"");
  EXPECT_EQ(SignCaption(Variant("\x01 a")), " Caption=\" a\"");  // left out after the clean-up
}

TEST(RenderTest, SkeletonDocument) {
  EXPECT_EQ(Render(TXML_Estimate_Document()),
            std::string(kDeclaration) + "<Document DocumentType=\"{2B0470FD-477C-4359-9F34-EEBE36B7D340}\">"
                "<Chapters/><Signs><Sign/><Sign/><Sign/><Sign/><Sign/><Sign/></Signs></Document>");
}

TEST(RenderTest, AttributesInSchemaOrderWhateverTheOrderOfSetting) {
  TXML_Estimate_Document document;
  document.SetValueByName("Comment", Variant("c"));
  document.SetValueByName("Generator", Variant("g"));
  TXML_Estimate_Item* price =
      static_cast<TXML_Estimate_Position*>(
          document.Chapters()->AddChild(std::make_unique<TXML_Estimate_Position>(&document)))->GetPrice(0);
  for (std::string_view name : {"MT", "Value", "ZM", "PZ"}) price->SetValueByName(name, Variant(name));
  std::string text = Render(document);
  EXPECT_NE(text.find("<Document Generator=\"g\" DocumentType=\"{2B0470FD-477C-4359-9F34-EEBE36B7D340}\" "
                      "Comment=\"c\"><Chapters><Position><PriceBase Value=\"Value\" PZ=\"PZ\" ZM=\"ZM\" MT=\"MT\"/>"
                      "</Position></Chapters>"),
            std::string::npos);
}

TEST(RenderTest, MissingNameOrParentIsAnError) {
  TXML_Estimate_Document document;
  document.Chapters()->AddChild(std::make_unique<TXML_Estimate_Item>(&document));
  StringXmlSink sink;
  EXPECT_EQ(ErrorMessage([&] { document.SaveToSink(sink, '.'); }), "Не определено имя узла"_cp1251);
  TXML_Estimate_Document nameless;
  nameless.SetNodeName("");  // the root element cannot be made
  EXPECT_EQ(ErrorMessage([&] { nameless.SaveToSink(sink, '.'); }), "Не определен родительский узел"_cp1251);
  TXML_Estimate_Item item(nullptr);
  item.SetNodeName("Sign");
  StringXmlSink empty;
  EXPECT_EQ(ErrorMessage([&] { item.AppendToDOM(empty, '.'); }), "Не определен родительский узел"_cp1251);
}

// A document with every kind of node and awkward texts.
void FillDocument(TXML_Estimate_Document& document) {
  TXML_Estimate_Container* catalog = document.GetContainer(kCatalogKind, true);
  document.MoveChild(catalog, 0);
  catalog->SetValueByName("Caption", Variant("Виды работ"_cp1251));
  TXML_Estimate_Container* group = catalog->GetContainer(kWorkTypesKind, true)->GetContainer(kWorkTypeGroupKind, true);
  group->GetWorkType(12)->SetValueByName("Caption", Variant("Земляные работы & <прочие>"_cp1251));
  TXML_Estimate_Container* chapter = document.Chapters()->AddChapter();
  chapter->SetValueByName("Caption", Variant("Глава \"1\"\tс табуляцией"_cp1251));
  chapter->SetValueByName("SysID", Variant("1"));
  for (int n = 1; n <= 3; ++n) {
    auto* position = static_cast<TXML_Estimate_Position*>(
        chapter->AddChild(std::make_unique<TXML_Estimate_Position>(&document)));
    position->SetValueByName("Caption", Variant(std::string("Строка\r\nвторая ё №"_cp1251) + "\x98\x01 "));
    position->SetValueByName("Number", Variant(n));
    position->SetValueByName("Quantity", Variant(n / 3.0));
    position->GetPrice(0)->SetValueByName("Value", Variant(1234.5));
    std::string excavator = std::string("Экскаватор"_cp1251) + "\xA0" + std::string("0,65 м3"_cp1251);
    position->AddResource(2)->SetValueByName("Caption", Variant(excavator));
    position->AddCoefficient()->SetValueByName("Value_PZ", Variant(1.15));
    position->AddImplementation()->SetValueByName("Quantity", Variant(0.00001));
  }
  document.Signs()->GetChild(0)->SetValue(0, Variant("Основание 'сметы'"_cp1251));
}

// The parsed element must be the node: its name, the attributes that have a
// text, in schema order, with that text, and the same children.
void ExpectSameTree(const TXML_Estimate_Item& node, const test::XmlElement& element, char separator) {
  ASSERT_EQ(element.name, node.NodeName());
  std::vector<std::pair<std::string, std::string>> expected;
  for (std::size_t i = 0; i < node.AttributeCount(); ++i) {
    std::string text = CleanVariantText(node.GetValue(static_cast<int>(i)), true, true, separator);
    std::erase_if(text, [](char c) { return (c >= 0 && c < 32 && c != '\t' && c != '\r' && c != '\n') || c == '\x98'; });
    if (!text.empty()) expected.emplace_back(node.AttributeName(i), Cp1251ToUtf8(text));
  }
  EXPECT_EQ(element.attributes, expected) << node.NodeName();
  const auto* container = dynamic_cast<const TXML_Estimate_Container*>(&node);
  ASSERT_EQ(element.children.size(), container ? container->ChildCount() : 0) << node.NodeName();
  for (std::size_t i = 0; i < element.children.size(); ++i) {
    ExpectSameTree(*container->Children()[i], element.children[i], separator);
  }
}

TEST(SaveToFileTest, WholeDocumentParsesBackIdentically) {
  ScratchFolder folder;
  TXML_Estimate_Document document;
  FillDocument(document);
  fs::path file = folder / "Смета.XML";
  document.SaveToFile(file, ',');
  test::XmlFile parsed = test::ParseXmlFile(file);
  EXPECT_EQ(parsed.encoding, "windows-1251");
  ExpectSameTree(document, parsed.root, ',');
  EXPECT_EQ(ReadFileBytes(file), Render(document, ','));
  if (std::system("command -v xmllint >/dev/null 2>&1") == 0) {
    EXPECT_EQ(std::system(("xmllint --noout '" + file.string() + "'").c_str()), 0);
  }
}

TEST(SaveToFileTest, ReplacesAnEarlierFileWithUmaskPermissionsAndNoTemporaryFile) {
  ScratchFolder folder;
  std::ofstream(folder / "a.xml") << std::string(5000, 'x');
  TXML_Estimate_Document document;
  mode_t saved = ::umask(022);
  document.SaveToFile(folder / "a.xml", '.');
  ::umask(027);
  document.SaveToFile(folder / "b.xml", '.');
  ::umask(saved);
  EXPECT_EQ(ReadFileBytes(folder / "a.xml"), Render(document));
  EXPECT_EQ(fs::status(folder / "a.xml").permissions(), fs::perms(0644));
  EXPECT_EQ(fs::status(folder / "b.xml").permissions(), fs::perms(0640));
  EXPECT_EQ(FolderEntries(folder.Path()), (Names{"a.xml", "b.xml"}));
}

TEST(SaveToFileTest, MissingFolderIsAnError) {
  ScratchFolder folder;
  fs::path file = folder / "absent" / "E.XML";
  EXPECT_EQ(ErrorMessage([&] { TXML_Estimate_Document().SaveToFile(file, '.'); }),
            std::string("Не удалось создать файл \""_cp1251) + file.string() + "\": No such file or directory");
}

TEST(SaveToFileTest, UnwritableFolderIsAnError) {
  if (::geteuid() == 0) GTEST_SKIP() << "the superuser may write into any folder";
  ScratchFolder folder;
  TXML_Estimate_Document document;
  fs::permissions(folder.Path(), fs::perms(0555));
  EXPECT_EQ(ErrorMessage([&] { document.SaveToFile(folder / "E.XML", '.'); }),
            std::string("Не удалось создать файл \""_cp1251) + (folder / "E.XML").string() + "\": Permission denied");
  fs::permissions(folder.Path(), fs::perms(0755));
  EXPECT_TRUE(FolderEntries(folder.Path()).empty());
}

TEST(SaveToFileTest, TargetThatIsAFolderIsAnErrorAndLeavesNothing) {
  ScratchFolder folder;
  fs::create_directory(folder / "E.XML");
  TXML_Estimate_Document document;
  EXPECT_EQ(ErrorMessage([&] { document.SaveToFile(folder / "E.XML", '.'); }),
            std::string("Не удалось заменить файл \""_cp1251) + (folder / "E.XML").string() + "\": Is a directory");
  EXPECT_EQ(FolderEntries(folder.Path()), Names{"E.XML"});
}

// Writes of the output file that go wrong as a disk's do: short, then full.
class FaultyWrites : public FileFaults {
 public:
  FaultyWrites(std::size_t failAfter, std::size_t mostPerWrite) : fail_after_(failAfter), most_per_write_(mostPerWrite) {}

  int Before(FileCall call, const fs::path&, std::size_t& size) override {
    if (call != FileCall::Write) return 0;
    if (written_ >= fail_after_) return ENOSPC;
    size = std::min({size, most_per_write_, fail_after_ - written_});
    written_ += size;
    return 0;
  }

 private:
  std::size_t fail_after_, most_per_write_, written_ = 0;
};

void FillLarge(TXML_Estimate_Document& document) {  // about 2 MB of XML
  TXML_Estimate_Container* chapter = document.Chapters()->AddChapter();
  for (int n = 0; n < 20000; ++n) {
    TXML_Estimate_Item* position = chapter->AddChild(std::make_unique<TXML_Estimate_Position>(&document));
    position->SetValueByName("Caption", Variant(std::string(60, static_cast<char>('a' + n % 26))));
    position->SetValueByName("Number", Variant(n));
  }
}

TEST(SaveToFileTest, ShortWritesStillGiveTheWholeFile) {
  ScratchFolder folder;
  TXML_Estimate_Document document;
  FillLarge(document);
  FaultyWrites shortWrites(SIZE_MAX, 777);
  document.SaveToFile(folder / "E.XML", '.', &shortWrites);
  EXPECT_EQ(ReadFileBytes(folder / "E.XML"), Render(document));
}

TEST(SaveToFileTest, FailedWriteLeavesTheEarlierFileAndNoTemporaryFile) {
  TXML_Estimate_Document document;
  FillLarge(document);
  for (std::size_t failAfter : {std::size_t{0}, std::size_t{100}, std::size_t{1500000}}) {
    ScratchFolder folder;
    fs::path file = folder / "E.XML";
    std::ofstream(file) << "earlier";
    EXPECT_EQ(ErrorMessage([&] {
                FaultyWrites fullDisk(failAfter, SIZE_MAX);
                document.SaveToFile(file, '.', &fullDisk);
              }),
              std::string("Ошибка записи файла \""_cp1251) + file.string() + "\": No space left on device");
    EXPECT_EQ(ReadFileBytes(file), "earlier") << failAfter;
    EXPECT_EQ(FolderEntries(folder.Path()), Names{"E.XML"}) << failAfter;
  }
}

// The output file's calls, in order, with a failure at one of them.
class CallRecorder : public FileFaults {
 public:
  explicit CallRecorder(std::optional<FileCall> failing = std::nullopt) : failing_(failing) {}
  int Before(FileCall call, const fs::path&, std::size_t&) override {
    if (calls.empty() || calls.back() != call) calls.push_back(call);  // one entry for many writes
    return call == failing_ ? EIO : 0;
  }
  std::vector<FileCall> calls;

 private:
  std::optional<FileCall> failing_;
};

TEST(SaveToFileTest, FileReachesTheDiskBeforeItReplacesTheTargetAndTheFolderAfter) {
  ScratchFolder folder;
  TXML_Estimate_Document document;
  FillLarge(document);
  CallRecorder recorder;
  document.SaveToFile(folder / "E.XML", '.', &recorder);
  EXPECT_EQ(recorder.calls, (std::vector<FileCall>{FileCall::Create, FileCall::Nameless, FileCall::Write,
                                                   FileCall::Sync, FileCall::Replace, FileCall::SyncFolder}));
  EXPECT_EQ(ReadFileBytes(folder / "E.XML"), Render(document));
}

TEST(SaveToFileTest, FailedFlushLeavesTheEarlierFileAndNoTemporaryFile) {
  ScratchFolder folder;
  fs::path file = folder / "E.XML";
  std::ofstream(file) << "earlier";
  TXML_Estimate_Document document;
  CallRecorder failingSync(FileCall::Sync);
  EXPECT_EQ(ErrorMessage([&] { document.SaveToFile(file, '.', &failingSync); }),
            std::string("Ошибка записи файла \""_cp1251) + file.string() + "\": Input/output error");
  EXPECT_EQ(failingSync.calls.back(), FileCall::Sync);
  EXPECT_EQ(ReadFileBytes(file), "earlier");
  EXPECT_EQ(FolderEntries(folder.Path()), Names{"E.XML"});
}

TEST(SaveToFileTest, RenderingErrorLeavesNoFile) {
  ScratchFolder folder;
  TXML_Estimate_Document document;
  FillLarge(document);
  document.Signs()->GetChild(5)->SetNodeName("");
  EXPECT_EQ(ErrorMessage([&] { document.SaveToFile(folder / "E.XML", '.'); }), "Не определено имя узла"_cp1251);
  EXPECT_TRUE(FolderEntries(folder.Path()).empty());
}

}  // namespace
}  // namespace ranta2kv
