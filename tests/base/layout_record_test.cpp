#include "base/layout_record.h"
#include "base/layout_slots.h"

#include <gtest/gtest.h>

namespace bivora {
namespace {

LayoutRecord SampleRecord()
{
    LayoutRecord record;
    record.screenWidth = 1024;
    record.screenHeight = 768;
    record.name = "Work";
    record.leftPaneWidth = 333;
    record.leftViewStyle = 59411;
    record.rightViewStyle = 59408;
    record.placement = {44, 0, 3, -1, -1, -8, -8, 10, 20, 810, 620};
    record.treeBarSizes = {1, 2, 3, 4, 5, 6};
    record.thumbBarSizes = {-7, 8, 9, 10, 11, 12};
    record.dockStateLength = 77;
    return record;
}

std::int32_t IntAt(const ByteBlock& bytes, std::size_t at)
{
    return static_cast<std::int32_t>(bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
                                     static_cast<std::uint32_t>(bytes[at + 3]) << 24);
}

TEST(LayoutRecordTest, EncodesFieldsLittleEndianAtTheirOffsets)
{
    const ByteBlock bytes = EncodeLayoutRecord(SampleRecord());
    ASSERT_EQ(bytes.size(), 156u);
    EXPECT_EQ(IntAt(bytes, 0), 1);
    EXPECT_EQ(IntAt(bytes, 4), 1024);
    EXPECT_EQ(IntAt(bytes, 8), 768);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[12])), "Work");
    EXPECT_EQ(bytes[12 + 4], 0);
    EXPECT_EQ(IntAt(bytes, 44), 333);
    EXPECT_EQ(IntAt(bytes, 48), 59411);
    EXPECT_EQ(IntAt(bytes, 52), 59408);
    EXPECT_EQ(IntAt(bytes, 56), 44);       // placement length
    EXPECT_EQ(IntAt(bytes, 64), 3);        // show command
    EXPECT_EQ(IntAt(bytes, 84), 10);       // normal rectangle
    EXPECT_EQ(IntAt(bytes, 96), 620);
    EXPECT_EQ(IntAt(bytes, 100), 1);       // tree bar
    EXPECT_EQ(IntAt(bytes, 124), -7);      // thumbnail bar
    EXPECT_EQ(IntAt(bytes, 148), 77);
    EXPECT_EQ(bytes[1], 0);                // little-endian: low byte first
    EXPECT_EQ(bytes[4], 1024 & 0xFF);
    EXPECT_EQ(bytes[5], 1024 >> 8);
}

TEST(LayoutRecordTest, RoundTripsEveryField)
{
    const LayoutRecord record = SampleRecord();
    const auto decoded = DecodeLayoutRecord(EncodeLayoutRecord(record));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(*decoded, record);
}

TEST(LayoutRecordTest, RejectsWrongSizeVersionOrEmptyDockState)
{
    ByteBlock bytes = EncodeLayoutRecord(SampleRecord());
    EXPECT_FALSE(DecodeLayoutRecord(std::span(bytes).first(155)));
    ByteBlock longer = bytes;
    longer.push_back(0);
    EXPECT_FALSE(DecodeLayoutRecord(longer));
    ByteBlock version2 = bytes;
    version2[0] = 2;
    EXPECT_FALSE(DecodeLayoutRecord(version2));
    LayoutRecord noDock = SampleRecord();
    noDock.dockStateLength = 0;
    EXPECT_FALSE(DecodeLayoutRecord(EncodeLayoutRecord(noDock)));
    EXPECT_TRUE(DecodeLayoutRecord(bytes));
}

TEST(LayoutRecordTest, NamesAreCutToThirtyOneBytesOnACharacterBoundary)
{
    LayoutRecord record = SampleRecord();
    record.name = std::string(40, 'x');
    ByteBlock bytes = EncodeLayoutRecord(record);
    EXPECT_EQ(bytes[12 + 31], 0); // always zero-terminated
    EXPECT_EQ(DecodeLayoutRecord(bytes)->name, std::string(31, 'x'));

    // 30 ASCII bytes and a two-byte character: the character does not fit whole.
    EXPECT_EQ(LayoutNameFromText(std::string(30, 'a') + "\xC3\xA9"), std::string(30, 'a'));
    EXPECT_EQ(LayoutNameFromText(std::string(29, 'a') + "\xC3\xA9"), std::string(29, 'a') + "\xC3\xA9");

    // A stored name that fills all 32 bytes without a terminator reads as 31.
    std::fill(bytes.begin() + 12, bytes.begin() + 44, 'y');
    EXPECT_EQ(DecodeLayoutRecord(bytes)->name, std::string(31, 'y'));
}

TEST(DockStateTest, MustMatchTheHeaderAndStayBelow4096Bytes)
{
    LayoutRecord record = SampleRecord();
    EXPECT_TRUE(DockStateFits(record, ByteBlock(77, 1)));
    EXPECT_FALSE(DockStateFits(record, ByteBlock(76, 1)));
    record.dockStateLength = 4096;
    EXPECT_FALSE(DockStateFits(record, ByteBlock(4096, 1)));
    record.dockStateLength = 4095;
    EXPECT_TRUE(DockStateFits(record, ByteBlock(4095, 1)));
}

class LayoutSlotsTest : public ::testing::Test {
protected:
    void Store(int n, const ByteBlock& header, const ByteBlock& dock)
    {
        store.WriteBinary(LayoutSlots::SectionName(n), "InfoHeader", header);
        store.WriteBinary(LayoutSlots::SectionName(n), "DockState", dock);
    }
    MemorySettingsStore store;
    LayoutSlots slots;
};

TEST_F(LayoutSlotsTest, LoadKeepsOnlySlotsThatPassEveryCheck)
{
    const ByteBlock good = EncodeLayoutRecord(SampleRecord());
    Store(1, good, ByteBlock(77, 5));
    Store(2, ByteBlock(good.begin(), good.end() - 1), ByteBlock(77, 5)); // 155 bytes
    ByteBlock version2 = good;
    version2[0] = 2;
    Store(3, version2, ByteBlock(77, 5));
    slots.Load(store);
    EXPECT_TRUE(slots.IsDefined(1));
    EXPECT_FALSE(slots.IsDefined(2));
    EXPECT_FALSE(slots.IsDefined(3));
    EXPECT_EQ(slots.Get(1)->dockState, ByteBlock(77, 5));

    Store(1, good, ByteBlock(78, 5)); // length differs from the header
    slots.Load(store);
    EXPECT_FALSE(slots.IsDefined(1));

    LayoutRecord big = SampleRecord();
    big.dockStateLength = 4096;
    Store(1, EncodeLayoutRecord(big), ByteBlock(4096, 5));
    slots.Load(store);
    EXPECT_FALSE(slots.IsDefined(1));

    store.WriteBinary(LayoutSlots::SectionName(2), "InfoHeader", good);
    store.WriteString(LayoutSlots::SectionName(2), "DockState", "text, not a block");
    slots.Load(store);
    EXPECT_FALSE(slots.IsDefined(2));
}

TEST_F(LayoutSlotsTest, SavedSlotsLoadBackAndEmptySlotsWriteNothing)
{
    LayoutRecord record = SampleRecord();
    record.dockStateLength = 0; // set from the block
    ASSERT_TRUE(slots.Define(2, record, ByteBlock(300, 9)));
    slots.Save(store);
    EXPECT_FALSE(store.Contains("Layout 1", "InfoHeader"));
    EXPECT_FALSE(store.Contains("Layout 3", "DockState"));
    ASSERT_EQ(store.Writes().size(), 2u);
    EXPECT_EQ(store.Writes()[0].name, "InfoHeader"); // the header goes first
    EXPECT_EQ(store.Writes()[1].name, "DockState");

    LayoutSlots reloaded;
    reloaded.Load(store);
    ASSERT_TRUE(reloaded.IsDefined(2));
    EXPECT_EQ(reloaded.Get(2)->record.name, "Work");
    EXPECT_EQ(reloaded.Get(2)->record.dockStateLength, 300u);
    EXPECT_EQ(reloaded.Get(2)->dockState, ByteBlock(300, 9));
}

TEST_F(LayoutSlotsTest, DefineRefusesDockStatesThatCouldNotBeReadBack)
{
    EXPECT_FALSE(slots.Define(1, SampleRecord(), {}));
    EXPECT_FALSE(slots.Define(1, SampleRecord(), ByteBlock(4096, 1)));
    EXPECT_FALSE(slots.IsDefined(1));
    EXPECT_FALSE(slots.Define(4, SampleRecord(), ByteBlock(10, 1)));
    EXPECT_TRUE(slots.Define(1, SampleRecord(), ByteBlock(4095, 1)));
}

TEST_F(LayoutSlotsTest, MenuTextsAndProposedNames)
{
    EXPECT_EQ(slots.MenuText(1), "(press Ctrl+Shift+7 to define)");
    EXPECT_EQ(slots.MenuText(3), "(press Ctrl+Shift+9 to define)");
    EXPECT_EQ(slots.ProposedName(2), "Layout 2");
    LayoutRecord record = SampleRecord();
    record.name = "Two wide";
    slots.Define(2, record, ByteBlock(10, 1));
    EXPECT_EQ(slots.MenuText(2), "&2: Two wide\tCtrl+8");
    EXPECT_EQ(slots.ProposedName(2), "Two wide");
}

} // namespace
} // namespace bivora
