// Reading the outline as a tree: damaged link structures (items linking back
// to each other) end where they loop instead of being followed forever, and
// writing the tree back leaves an outline without the loop. Named
// destinations resolve without qpdf's outline helper.
#include "engine/document/named_destinations.h"
#include "engine/document/outline_tree.h"

#include <gtest/gtest.h>
#include <qpdf/QPDF.hh>

#include <functional>
#include <map>

namespace {

using paginor::engine::NamedDestinations;
using paginor::engine::OutlineNode;
using paginor::engine::readOutline;
using paginor::engine::writeOutline;

// A one-page document whose outline items are made and linked by title.
class OutlineBuilder {
public:
    OutlineBuilder() {
        pdf.emptyPDF();
        root = pdf.makeIndirectObject(QPDFObjectHandle::parse("<< /Type /Outlines >>"));
        pdf.getRoot().replaceKey("/Outlines", root);
    }
    QPDFObjectHandle item(const std::string& title) {
        auto found = items.find(title);
        if (found != items.end())
            return found->second;
        QPDFObjectHandle dictionary = QPDFObjectHandle::newDictionary();
        dictionary.replaceKey("/Title", QPDFObjectHandle::newUnicodeString(title));
        return items[title] = pdf.makeIndirectObject(dictionary);
    }
    void link(QPDFObjectHandle from, const char* key, const std::string& to) {
        from.replaceKey(key, item(to));
    }
    void link(const std::string& from, const char* key, const std::string& to) {
        link(item(from), key, to);
    }

    QPDF pdf;
    QPDFObjectHandle root;
    std::map<std::string, QPDFObjectHandle> items;
};

// "one(a b) two": titles in order, children in brackets.
std::string shape(const std::vector<OutlineNode>& nodes) {
    std::string out;
    for (const auto& node : nodes) {
        if (!out.empty())
            out += ' ';
        QPDFObjectHandle item = node.item; // qpdf's accessors are not const
        out += item.getKey("/Title").getUTF8Value();
        if (!node.children.empty())
            out += "(" + shape(node.children) + ")";
    }
    return out;
}

int depth(const std::vector<OutlineNode>& nodes) {
    int deepest = 0;
    for (const auto& node : nodes)
        deepest = std::max(deepest, 1 + depth(node.children));
    return deepest;
}

struct DamagedOutline {
    std::string name;
    std::function<void(OutlineBuilder&)> build;
    std::string expected;
};
void PrintTo(const DamagedOutline& c, std::ostream* out) {
    *out << c.name;
}

const std::vector<DamagedOutline> kDamaged{
    {"ChildrenLoopingAlongNext",
     [](OutlineBuilder& b) {
         b.link(b.root, "/First", "one");
         b.link("one", "/Next", "two");
         b.link("one", "/First", "a");
         b.link("a", "/Next", "b");
         b.link("b", "/Next", "a");
     },
     "one(a b) two"},
    {"ItemThatIsItsOwnFirstChild",
     [](OutlineBuilder& b) {
         b.link(b.root, "/First", "one");
         b.link("one", "/First", "one");
         b.link("one", "/Next", "two");
     },
     "one two"},
    {"ChildLinkingBackToItsParent",
     [](OutlineBuilder& b) {
         b.link(b.root, "/First", "one");
         b.link("one", "/First", "a");
         b.link("a", "/Next", "one");
     },
     "one(a)"},
    {"TopLevelLoop",
     [](OutlineBuilder& b) {
         b.link(b.root, "/First", "one");
         b.link("one", "/Next", "two");
         b.link("two", "/Next", "one");
     },
     "one two"},
    {"ItemsThatAreNotDictionariesEndTheList",
     [](OutlineBuilder& b) {
         b.link(b.root, "/First", "one");
         b.item("one").replaceKey("/Next", QPDFObjectHandle::newInteger(7));
     },
     "one"},
};

class ReadingADamagedOutline : public ::testing::TestWithParam<DamagedOutline> {};

TEST_P(ReadingADamagedOutline, StopsAtTheLoopAndWritesBackWithoutIt) {
    OutlineBuilder builder;
    GetParam().build(builder);
    const auto tree = readOutline(builder.pdf);
    EXPECT_EQ(shape(tree), GetParam().expected);

    writeOutline(builder.pdf, tree);
    EXPECT_EQ(shape(readOutline(builder.pdf)), GetParam().expected);
    // Every list now ends: its last item has no /Next, and /Last names it.
    std::function<void(QPDFObjectHandle, const std::vector<OutlineNode>&)> expectEnds =
        [&](QPDFObjectHandle parent, const std::vector<OutlineNode>& nodes) {
            if (nodes.empty()) {
                EXPECT_FALSE(parent.hasKey("/First"));
                return;
            }
            QPDFObjectHandle last = nodes.back().item;
            EXPECT_FALSE(last.hasKey("/Next"));
            EXPECT_EQ(parent.getKey("/Last").getObjGen(), last.getObjGen());
            for (const auto& node : nodes)
                expectEnds(node.item, node.children);
        };
    expectEnds(builder.root, tree);
}

INSTANTIATE_TEST_SUITE_P(Cases, ReadingADamagedOutline, ::testing::ValuesIn(kDamaged),
                         [](const auto& info) { return info.param.name; });

TEST(ReadingAnOutline, AChainTooDeepForAnyRealOutlineIsCut) {
    OutlineBuilder builder;
    builder.link(builder.root, "/First", "0");
    for (int level = 1; level < 5000; ++level)
        builder.link(std::to_string(level - 1), "/First", std::to_string(level));
    const int levels = depth(readOutline(builder.pdf));
    EXPECT_GE(levels, 50);
    EXPECT_LT(levels, 5000);
}

TEST(NamedDestinations, ResolveNamesStringsAndDestinationDictionaries) {
    QPDF pdf;
    pdf.emptyPDF();
    QPDFObjectHandle catalog = pdf.getRoot();
    catalog.replaceKey("/Dests", QPDFObjectHandle::parse("<< /byName [1 /Fit] >>"));
    catalog.replaceKey("/Names", QPDFObjectHandle::parse("<< /Dests << /Names [(inDict) << /D [2 "
                                                         "/Fit] >> (plain) [3 /Fit]] >> >>"));
    NamedDestinations names(pdf);

    struct Lookup {
        QPDFObjectHandle name;
        long long expectedFirst; // 0: not found
    };
    const std::vector<Lookup> lookups{
        {QPDFObjectHandle::newName("/byName"), 1},  {QPDFObjectHandle::newString("inDict"), 2},
        {QPDFObjectHandle::newString("plain"), 3},  {QPDFObjectHandle::newName("/missing"), 0},
        {QPDFObjectHandle::newString("byName"), 0}, {QPDFObjectHandle::newInteger(4), 0},
    };
    for (auto lookup : lookups) {
        QPDFObjectHandle dest = names.resolve(lookup.name);
        if (lookup.expectedFirst == 0) {
            EXPECT_TRUE(dest.isNull()) << lookup.name.unparse();
        } else {
            ASSERT_TRUE(dest.isArray()) << lookup.name.unparse();
            EXPECT_EQ(dest.getArrayItem(0).getIntValue(), lookup.expectedFirst);
        }
    }
}

} // namespace
