// Tests of the XML output: escaping and buffering of the sink, the attribute
// text of values, the rendering of a document, a whole document parsed back by
// libxml2, and the atomic replace of the file with its failure paths.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

#include "common/codepage.h"
#include "common/error.h"
#include "common/text.h"
#include "estimate/atomic_file_sink.h"
#include "estimate/estimate_document.h"
#include "estimate/xml_writer.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/xml_tree.h"

namespace ranta2kv {
namespace {

namespace fs = std::filesystem;
using test::ScratchFolder;

constexpr std::string_view kDeclaration = "<?xml version=\"1.0\" encoding=\"windows-1251\"?>";
constexpr std::string_view kSkeletonBody =
    "<Chapters/><Signs><Sign/><Sign/><Sign/><Sign/><Sign/><Sign/></Signs></Document>";

void ExpectError(const std::function<void()>& action, const std::string& message) {
  try {
    action();
    ADD_FAILURE() << "no error, expected: " << Cp1251ToUtf8(message);
  } catch (const Error& e) {
    EXPECT_EQ(Cp1251ToUtf8(e.what()), Cp1251ToUtf8(message));
  }
}

std::string Render(const TXML_Estimate_Document& document, char separator = '.') {
  StringXmlSink sink;
  document.SaveToSink(sink, separator);
  return sink.Text();
}

// The text of one attribute written by a sink, e.g. ` a="..."`.
std::string AttributeText(std::string_view value) {
  StringXmlSink sink;
  sink.WriteAttribute("a", value);
  return sink.Text();
}

// The "Caption" attribute of the first sign, as the document renders it.
std::string SignCaption(const Variant& value, char separator = '.') {
  TXML_Estimate_Document document;
  document.Signs()->GetChild(0)->SetValue(0, value);
  std::string text = Render(document, separator);
  std::size_t start = text.find("<Signs><Sign") + 12;
  return text.substr(start, text.find("/>", start) - start);
}

std::string ReadFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> FolderEntries(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// ---- the sink ----

TEST(XmlSinkTest, EscapesMarkupCharacters) {
  EXPECT_EQ(AttributeText("a&b<c>d\"e'f"), " a=\"a&amp;b&lt;c&gt;d&quot;e'f\"");
}

TEST(XmlSinkTest, TabAndLineBreaksBecomeCharacterReferences) {
  EXPECT_EQ(AttributeText("\ta\r\nb\t"), " a=\"&#9;a&#13;&#10;b&#9;\"");
}

TEST(XmlSinkTest, BytesXmlCannotCarryAreLeftOut) {
  EXPECT_EQ(AttributeText(std::string("a\0b\x01\x08\x0B\x0C\x0E\x1F\x98" "c", 12)), " a=\"abc\"");
}

TEST(XmlSinkTest, AttributeWithNothingLeftIsNotWritten) {
  StringXmlSink sink;
  EXPECT_FALSE(sink.WriteAttribute("a", "\x01\x98"));
  EXPECT_FALSE(sink.WriteAttribute("a", ""));
  EXPECT_EQ(sink.Text(), "");
}

TEST(XmlSinkTest, Windows1251BytesPassUnchangedAndDashesBecomeSpaces) {
  EXPECT_EQ(AttributeText("Смета №1 ё"_cp1251), " a=\"" + std::string("Смета №1 ё"_cp1251) + "\"");
  EXPECT_EQ(AttributeText("1\x96" "2\xA0" "3"), " a=\"1 2 3\"");
  EXPECT_EQ(AttributeText("\x80\x97\x99\xFF"), " a=\"\x80\x97\x99\xFF\"");
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

TEST(XmlSinkTest, SmallBufferGivesTheSameBytes) {
  std::string value;
  for (int i = 0; i < 5000; ++i) value += static_cast<char>(i % 7 == 0 ? '&' : 'a' + i % 26);
  ChunkRecordingSink small(64);
  small.BeginElement("X");
  small.WriteAttribute("a", value);
  small.EndEmptyElement();
  small.Flush();
  EXPECT_EQ(small.text, "<X" + AttributeText(value) + "/>");
}

TEST(XmlSinkTest, WritesInChunksOfTheBufferSize) {
  ChunkRecordingSink sink(XmlSink::kDefaultBufferSize);
  std::string value(1000, 'x');
  for (int i = 0; i < 3500; ++i) {
    sink.BeginElement("X");
    sink.WriteAttribute("v", value);
    sink.EndEmptyElement();
  }
  sink.Flush();
  ASSERT_EQ(sink.chunks.size(), 4u);
  EXPECT_GT(sink.chunks[0], XmlSink::kDefaultBufferSize - 1100);
}

// ---- attribute texts in the document ----

TEST(AttributeTextTest, NumbersAndEmptyValues) {
  EXPECT_EQ(SignCaption(Variant(0)), " Caption=\"0\"");
  EXPECT_EQ(SignCaption(Variant(std::int64_t{-123456789012})), " Caption=\"-123456789012\"");
  EXPECT_EQ(SignCaption(Variant()), "");
  EXPECT_EQ(SignCaption(Variant::Null()), "");
  EXPECT_EQ(SignCaption(Variant("   ")), "");
  EXPECT_EQ(SignCaption(Variant("")), "");
}

TEST(AttributeTextTest, FloatingValues) {
  EXPECT_EQ(SignCaption(Variant(1234.5), ','), " Caption=\"1234,5\"");
  EXPECT_EQ(SignCaption(Variant(0.00001)), " Caption=\"1E-5\"");
  EXPECT_EQ(SignCaption(Variant(1.0 / 3)), " Caption=\"0.333333333333333\"");
}

TEST(AttributeTextTest, TrimsLineBreaksAndSpacesKeepsTabs) {
  EXPECT_EQ(SignCaption(Variant("\r\nText  ")), " Caption=\"Text\"");
  EXPECT_EQ(SignCaption(Variant("\tText\t")), " Caption=\"&#9;Text&#9;\"");
  EXPECT_EQ(SignCaption(Variant("a\r\nb")), " Caption=\"a&#13;&#10;b\"");
}

TEST(AttributeTextTest, NoBreakSpaceAndEnDash) {
  EXPECT_EQ(SignCaption(Variant("a\xA0" "b\x96" "c")), " Caption=\"a b c\"");
  EXPECT_EQ(SignCaption(Variant("\x96\xA0" "a\xA0\x96")), " Caption=\"a\"");
}

TEST(AttributeTextTest, ControlBytesLeftOutAfterTheCleanUp) {
  EXPECT_EQ(SignCaption(Variant("\x01 a")), " Caption=\" a\"");
  EXPECT_EQ(SignCaption(Variant("\x01\x02")), "");
}

TEST(AttributeTextTest, OtherTypes) {
  EXPECT_EQ(SignCaption(Variant::Currency(15000), ','), " Caption=\"1,5\"");
  EXPECT_EQ(SignCaption(Variant::Boolean(false)), " Caption=\"False\"");
  EXPECT_EQ(SignCaption(Variant::DateTime(1e12)), "");  // no text: left out
}

// ---- the document ----

TEST(RenderTest, SkeletonDocument) {
  TXML_Estimate_Document document;
  EXPECT_EQ(Render(document), std::string(kDeclaration) +
                                  "<Document DocumentType=\"{2B0470FD-477C-4359-9F34-EEBE36B7D340}\">" +
                                  std::string(kSkeletonBody));
}

TEST(RenderTest, AttributesInSchemaOrderWhateverTheOrderOfSetting) {
  TXML_Estimate_Document document;
  document.SetValueByName("Comment", Variant("c"));
  document.SetValueByName("Generator", Variant("g"));
  TXML_Estimate_Item* price = static_cast<TXML_Estimate_Position*>(document.Chapters()->AddChild(
      std::make_unique<TXML_Estimate_Position>(&document)))->GetPrice(0);
  for (std::string_view name : {"MT", "Value", "ZM", "PZ"}) price->SetValueByName(name, Variant(name));
  std::string text = Render(document);
  EXPECT_NE(text.find("<Document Generator=\"g\" DocumentType=\"{2B0470FD-477C-4359-9F34-EEBE36B7D340}\" "
                      "Comment=\"c\">"),
            std::string::npos);
  EXPECT_NE(text.find("<Chapters><Position><PriceBase Value=\"Value\" PZ=\"PZ\" ZM=\"ZM\" MT=\"MT\"/>"
                      "</Position></Chapters>"),
            std::string::npos);
}

TEST(RenderTest, NodeWithoutNameIsAnError) {
  TXML_Estimate_Document document;
  document.Chapters()->AddChild(std::make_unique<TXML_Estimate_Item>(&document));
  StringXmlSink sink;
  ExpectError([&] { document.SaveToSink(sink, '.'); }, std::string("Не определено имя узла"_cp1251));
}

TEST(RenderTest, RootWithoutNameHasNoParentElement) {
  TXML_Estimate_Document document;
  document.SetNodeName("");
  StringXmlSink sink;
  ExpectError([&] { document.SaveToSink(sink, '.'); }, std::string("Не определен родительский узел"_cp1251));
  EXPECT_EQ(sink.Text(), "");
}

TEST(RenderTest, NodeOutsideAnyElementHasNoParent) {
  TXML_Estimate_Item item(nullptr);
  item.SetNodeName("Sign");
  StringXmlSink sink;
  ExpectError([&] { item.AppendToDOM(sink, '.'); }, std::string("Не определен родительский узел"_cp1251));
}

// ---- a whole document parsed back ----

// Builds a document with every kind of node and awkward texts.
void FillDocument(TXML_Estimate_Document& document) {
  TXML_Estimate_Container* catalog = document.GetContainer(3, true);
  document.MoveChild(catalog, 0);
  catalog->SetValueByName("Caption", Variant("Виды работ"_cp1251));
  TXML_Estimate_Container* types = catalog->GetContainer(4, true);
  types->SetValueByName("Type", Variant(2001));
  TXML_Estimate_Container* group = types->GetContainer(5, true);
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
    position->SetValueByName("Code", Variant("ФЕР01-01-001-01"_cp1251));
    position->GetPrice(0)->SetValueByName("Value", Variant(1234.5));
    position->AddResource(2)->SetValueByName("Caption", Variant(std::string("Экскаватор"_cp1251) + "\xA0" + std::string("0,65 м3"_cp1251)));
    position->AddCoefficient()->SetValueByName("Value_PZ", Variant(1.15));
    TXML_Estimate_Item* act = position->AddImplementation();
    act->SetValueByName("Year", Variant(2024));
    act->SetValueByName("Quantity", Variant(0.00001));
  }
  document.Signs()->GetChild(0)->SetValue(0, Variant("Основание 'сметы'"_cp1251));
}

// The parsed element must be the node: same name, the attributes that have a
// text in schema order with that text, the same children.
void ExpectSameTree(const TXML_Estimate_Item& node, const test::XmlElement& element, char separator) {
  ASSERT_EQ(element.name, node.NodeName());
  std::vector<std::pair<std::string, std::string>> expected;
  for (std::size_t i = 0; i < node.AttributeCount(); ++i) {
    std::string text = CleanVariantText(node.GetValue(static_cast<int>(i)), true, true, separator);
    std::erase_if(text, [](char c) { return (static_cast<unsigned char>(c) < 32 && c != '\t' && c != '\r' && c != '\n') ||
                                            c == '\x98'; });
    if (!text.empty()) expected.emplace_back(node.AttributeName(i), Cp1251ToUtf8(text));
  }
  EXPECT_EQ(element.attributes, expected) << node.NodeName();
  if (!node.IsContainer()) {
    EXPECT_TRUE(element.children.empty());
    return;
  }
  const auto& children = static_cast<const TXML_Estimate_Container&>(node).Children();
  ASSERT_EQ(element.children.size(), children.size()) << node.NodeName();
  for (std::size_t i = 0; i < children.size(); ++i) ExpectSameTree(*children[i], element.children[i], separator);
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
  EXPECT_EQ(ReadFile(file).substr(0, kDeclaration.size()), kDeclaration);
  EXPECT_EQ(ReadFile(file), Render(document, ','));
}

TEST(SaveToFileTest, XmllintAcceptsTheFile) {
  if (std::system("command -v xmllint >/dev/null 2>&1") != 0) GTEST_SKIP() << "xmllint is not installed";
  ScratchFolder folder;
  TXML_Estimate_Document document;
  FillDocument(document);
  document.SaveToFile(folder / "out.xml", '.');
  std::string command = "xmllint --noout '" + (folder / "out.xml").string() + "' 2>&1";
  EXPECT_EQ(std::system(command.c_str()), 0);
}

TEST(SaveToFileTest, ReplacesAnEarlierFileAndLeavesNoTemporaryFile) {
  ScratchFolder folder;
  fs::path file = folder / "E.XML";
  std::ofstream(file) << "old content that is longer than the new document, " << std::string(5000, 'x');
  TXML_Estimate_Document document;
  document.SaveToFile(file, '.');
  EXPECT_EQ(ReadFile(file), Render(document));
  EXPECT_EQ(FolderEntries(folder.Path()), std::vector<std::string>{"E.XML"});
}

TEST(SaveToFileTest, PermissionsFollowTheUmask) {
  ScratchFolder folder;
  TXML_Estimate_Document document;
  mode_t saved = ::umask(022);
  document.SaveToFile(folder / "a.xml", '.');
  ::umask(027);
  document.SaveToFile(folder / "b.xml", '.');
  ::umask(saved);
  EXPECT_EQ(fs::status(folder / "a.xml").permissions(), fs::perms(0644));
  EXPECT_EQ(fs::status(folder / "b.xml").permissions(), fs::perms(0640));
}

TEST(SaveToFileTest, MissingFolderIsAnError) {
  ScratchFolder folder;
  fs::path file = folder / "absent" / "E.XML";
  TXML_Estimate_Document document;
  ExpectError([&] { document.SaveToFile(file, '.'); },
              std::string("Не удалось создать файл \""_cp1251) + file.string() + "\": No such file or directory");
}

TEST(SaveToFileTest, UnwritableFolderIsAnError) {
  if (::geteuid() == 0) GTEST_SKIP() << "the superuser may write into any folder";
  ScratchFolder folder;
  fs::permissions(folder.Path(), fs::perms(0555));
  TXML_Estimate_Document document;
  fs::path file = folder / "E.XML";
  ExpectError([&] { document.SaveToFile(file, '.'); },
              std::string("Не удалось создать файл \""_cp1251) + file.string() + "\": Permission denied");
  fs::permissions(folder.Path(), fs::perms(0755));
  EXPECT_TRUE(FolderEntries(folder.Path()).empty());
}

TEST(SaveToFileTest, TargetThatIsAFolderIsAnErrorAndLeavesNothing) {
  ScratchFolder folder;
  fs::create_directory(folder / "E.XML");
  std::ofstream(folder / "E.XML" / "inner") << "kept";
  TXML_Estimate_Document document;
  ExpectError([&] { document.SaveToFile(folder / "E.XML", '.'); },
              std::string("Не удалось заменить файл \""_cp1251) + (folder / "E.XML").string() +
                  "\": Is a directory");
  EXPECT_EQ(FolderEntries(folder.Path()), std::vector<std::string>{"E.XML"});
  EXPECT_EQ(ReadFile(folder / "E.XML" / "inner"), "kept");
}

// A file sink whose writes go wrong in the ways a disk does.
class FaultyFileSink : public AtomicFileSink {
 public:
  FaultyFileSink(fs::path target, std::size_t failAfter, std::size_t mostPerWrite)
      : AtomicFileSink(std::move(target)), fail_after_(failAfter), most_per_write_(mostPerWrite) {}
  int interrupts = 2;

 protected:
  ssize_t WriteSome(int fd, const char* data, std::size_t size) override {
    if (interrupts > 0) {
      --interrupts;
      errno = EINTR;
      return -1;
    }
    if (written_ >= fail_after_) {
      errno = ENOSPC;
      return -1;
    }
    size = std::min({size, most_per_write_, fail_after_ - written_});
    ssize_t done = AtomicFileSink::WriteSome(fd, data, size);
    if (done > 0) written_ += static_cast<std::size_t>(done);
    return done;
  }

 private:
  std::size_t fail_after_;
  std::size_t most_per_write_;
  std::size_t written_ = 0;
};

void FillLarge(TXML_Estimate_Document& document) {
  TXML_Estimate_Container* chapter = document.Chapters()->AddChapter();
  for (int n = 0; n < 20000; ++n) {
    auto* position = static_cast<TXML_Estimate_Position*>(
        chapter->AddChild(std::make_unique<TXML_Estimate_Position>(&document)));
    position->SetValueByName("Caption", Variant(std::string(60, 'a' + n % 26)));
    position->SetValueByName("Number", Variant(n));
  }
}

TEST(SaveToFileTest, ShortAndInterruptedWritesStillGiveTheWholeFile) {
  ScratchFolder folder;
  TXML_Estimate_Document document;
  FillLarge(document);
  {
    FaultyFileSink sink(folder / "E.XML", SIZE_MAX, 777);
    document.SaveToSink(sink, '.');
    sink.Commit();
  }
  EXPECT_EQ(ReadFile(folder / "E.XML"), Render(document));
}

TEST(SaveToFileTest, FailedWriteLeavesTheEarlierFileAndNoTemporaryFile) {
  for (std::size_t failAfter : {std::size_t{0}, std::size_t{100}, std::size_t{1500000}}) {
    ScratchFolder folder;
    fs::path file = folder / "E.XML";
    std::ofstream(file) << "earlier";
    TXML_Estimate_Document document;
    FillLarge(document);
    ExpectError(
        [&] {
          FaultyFileSink sink(file, failAfter, SIZE_MAX);
          document.SaveToSink(sink, '.');
          sink.Commit();
        },
        std::string("Ошибка записи файла \""_cp1251) + file.string() + "\": No space left on device");
    EXPECT_EQ(ReadFile(file), "earlier") << failAfter;
    EXPECT_EQ(FolderEntries(folder.Path()), std::vector<std::string>{"E.XML"}) << failAfter;
  }
}

TEST(SaveToFileTest, RenderingErrorLeavesNoFile) {
  ScratchFolder folder;
  TXML_Estimate_Document document;
  FillLarge(document);
  document.Signs()->GetChild(5)->SetNodeName("");
  ExpectError([&] { document.SaveToFile(folder / "E.XML", '.'); }, std::string("Не определено имя узла"_cp1251));
  EXPECT_TRUE(FolderEntries(folder.Path()).empty());
}

}  // namespace
}  // namespace ranta2kv
