// Pictures (PNG, animated GIF, grey, scaled and HLS variants), window regions
// and cursors.
#include "TestSupport.h"
#include "tests/common/TempDir.h"

#include "dulib/res/SkinXml.h"
#include "dulib/res/duCursor.h"
#include "dulib/res/duImageStyle.h"
#include "dulib/res/duRgn.h"
#include "dulib/res/duStyleGroup.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

namespace {

// A minimal GIF89a: a 4-colour table (red, green, blue, white) and one solid
// frame per entry of `frames` (colour index, delay in hundredths).
std::string MakeGif(int width, int height, const std::vector<std::pair<int, int>>& frames) {
    std::string gif = "GIF89a";
    auto word = [&gif](int v) { gif += char(v & 0xFF); gif += char((v >> 8) & 0xFF); };
    word(width);
    word(height);
    gif += char(0x91);  // global table of 4 entries
    gif += '\0';
    gif += '\0';
    const unsigned char table[] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
    gif.append(reinterpret_cast<const char*>(table), sizeof(table));
    gif += std::string("\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00", 19);
    for (const auto& frame : frames) {
        gif += std::string("\x21\xF9\x04\x04", 4);
        word(frame.second);
        gif += '\0';
        gif += '\0';
        gif += '\x2C';
        word(0);
        word(0);
        word(width);
        word(height);
        gif += '\0';
        // LZW with 2-bit minimum code size (clear 4, end 5); a frame of one
        // colour compresses to a few codes per thousand pixels.
        std::vector<std::pair<int, int>> codes;  // (code, width in bits)
        {
            std::map<std::pair<int, int>, int> dictionary;
            int next = 6, bitsNow = 3, prefix = -1;
            // The code width grows once the next free code no longer fits,
            // checked as each code goes out (as decoders expect it).
            auto emit = [&](int code) {
                codes.push_back({code, bitsNow});
                if (next >= (1 << bitsNow) && bitsNow < 12) ++bitsNow;
            };
            emit(4);
            for (int i = 0; i < width * height; ++i) {
                const int c = frame.first;
                if (prefix < 0) {
                    prefix = c;
                    continue;
                }
                auto found = dictionary.find({prefix, c});
                if (found != dictionary.end()) {
                    prefix = found->second;
                    continue;
                }
                emit(prefix);
                if (next >= 4095) {
                    emit(4);
                    dictionary.clear();
                    next = 6;
                    bitsNow = 3;
                } else {
                    dictionary[{prefix, c}] = next++;
                }
                prefix = c;
            }
            if (prefix >= 0) emit(prefix);
            emit(5);
        }
        std::string data;
        unsigned long long bits = 0;
        unsigned count = 0;
        for (const auto& code : codes) {
            bits |= static_cast<unsigned long long>(code.first) << count;
            count += code.second;
            while (count >= 8) {
                data += char(bits & 0xFF);
                bits >>= 8;
                count -= 8;
            }
        }
        if (count) data += char(bits & 0xFF);
        gif += char(2);
        for (size_t at = 0; at < data.size(); at += 255) {
            std::string block = data.substr(at, 255);
            gif += char(block.size());
            gif += block;
        }
        gif += '\0';
    }
    gif += ';';
    return gif;
}

DWORD PixelOf(BYTE* bits, int width, int x, int y) {
    return reinterpret_cast<const DWORD*>(bits)[y * width + x];
}

}  // namespace

TEST(Image, AnimatedGifKeepsEveryFrameAndItsDelay) {
    std::string gif = MakeGif(4, 4, {{0, 10}, {1, 10}, {2, 20}});
    ManagerPtr manager = NewManager();
    auto* image = static_cast<duImage*>(manager->CreateResObj(L"anim", RES_IMAGE));
    ASSERT_TRUE(image->LoadFromMemory(reinterpret_cast<const BYTE*>(gif.data()), int(gif.size())));
    EXPECT_EQ(image->GetWidth(), 4);
    EXPECT_EQ(image->GetHeight(), 4);
    ASSERT_EQ(image->GetFrameCount(), 3);
    EXPECT_EQ(image->GetFrameDelay(0), 100);
    EXPECT_EQ(image->GetFrameDelay(1), 100);
    EXPECT_EQ(image->GetFrameDelay(2), 200);
    EXPECT_EQ(image->GetFrameDelay(3), 0);
    EXPECT_EQ(image->GetBitmap(), image->GetFrameBitmap(0));  // frame 0 shows
    EXPECT_EQ(PixelOf(image->GetBits(), 4, 1, 1), Argb(255, 255, 0, 0));
    EXPECT_EQ(PixelOf(image->GetFrameBits(1), 4, 3, 3), Argb(255, 0, 255, 0));
    EXPECT_EQ(PixelOf(image->GetFrameBits(2), 4, 0, 0), Argb(255, 0, 0, 255));
    EXPECT_EQ(image->GetFrameBits(3), nullptr);
    EXPECT_EQ(image->GetFrameBitmap(-1), nullptr);

    // A still picture loaded over it releases the frames.
    std::string still = MakeGif(2, 2, {{3, 0}});
    ASSERT_TRUE(image->LoadFromMemory(reinterpret_cast<const BYTE*>(still.data()), int(still.size())));
    EXPECT_EQ(image->GetFrameCount(), 1);
    EXPECT_EQ(image->GetFrameDelay(0), 0);
    EXPECT_EQ(PixelOf(image->GetBits(), 2, 1, 1), Argb(255, 255, 255, 255));
    image->Destroy();
}

TEST(Image, TheSizeGuardCountsDecodedBytesNotSides) {
    // Sides alone say nothing: a long thin strip is harmless...
    EXPECT_TRUE(duImage::FitsDecodeBudget(16385, 1, 1));
    EXPECT_TRUE(duImage::FitsDecodeBudget(100000, 10, 1));
    // ...while a 16384 x 16384 picture would take a gibibyte, and many frames
    // of a modest size add up.
    EXPECT_FALSE(duImage::FitsDecodeBudget(16384, 16384, 1));
    EXPECT_FALSE(duImage::FitsDecodeBudget(2048, 2048, 5));
    EXPECT_TRUE(duImage::FitsDecodeBudget(2048, 2048, 3));
    EXPECT_FALSE(duImage::FitsDecodeBudget(0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu));

    ManagerPtr manager = NewManager();
    auto* image = static_cast<duImage*>(manager->CreateResObj(L"strip", RES_IMAGE));
    std::vector<DWORD> strip(16385, Argb(255, 0, 128, 0));
    const std::string png = EncodePng(reinterpret_cast<const BYTE*>(strip.data()), 16385, 1);
    ASSERT_FALSE(png.empty());
    ASSERT_TRUE(image->LoadFromMemory(reinterpret_cast<const BYTE*>(png.data()), int(png.size())));
    EXPECT_EQ(image->GetWidth(), 16385);
    EXPECT_EQ(PixelOf(image->GetBits(), 16385, 16384, 0), Argb(255, 0, 128, 0));

    // Five frames of 2048 x 2048 (80 MiB decoded) from a file of some 20 KiB.
    const std::string gif = MakeGif(2048, 2048, {{0, 1}, {1, 1}, {2, 1}, {0, 1}, {1, 1}});
    EXPECT_FALSE(image->LoadFromMemory(reinterpret_cast<const BYTE*>(gif.data()), int(gif.size())));
    EXPECT_EQ(image->GetWidth(), 0);
    EXPECT_EQ(image->GetBitmap(), nullptr);
    image->Destroy();
}

TEST(Image, LoadingFailuresLeaveAnEmptyImage) {
    ManagerPtr manager = NewManager();
    auto* image = static_cast<duImage*>(manager->CreateResObj(L"x", RES_IMAGE));
    ASSERT_TRUE(image->CreateBlank(3, 3));
    const BYTE junk[] = "definitely not a picture";
    EXPECT_FALSE(image->LoadFromMemory(junk, sizeof(junk)));
    EXPECT_EQ(image->GetWidth(), 0);
    EXPECT_EQ(image->GetBits(), nullptr);
    EXPECT_FALSE(image->LoadFromMemory(nullptr, 10));
    EXPECT_FALSE(image->LoadFromMemory(junk, 0));
    EXPECT_FALSE(image->LoadFromFile(L""));
    EXPECT_FALSE(image->LoadFromFile(L"C:\\no\\such\\picture.png"));
    EXPECT_FALSE(image->LoadFromStream(nullptr));
    EXPECT_FALSE(image->CreateBlank(0, 5));
    EXPECT_FALSE(image->CreateBlank(5, -1));
    EXPECT_FALSE(image->BuildHlsCache());
    EXPECT_EQ(image->MakeGrayCopy(), nullptr);

    TempDir dir;
    BYTE pixels[4 * 4 * 4];
    for (int i = 0; i < 16; ++i) reinterpret_cast<DWORD*>(pixels)[i] = Argb(255, 0, 100, 200);
    std::string png = EncodePng(pixels, 4, 4);
    ASSERT_TRUE(WriteFileBytes(dir.File(L"p.png"), png.data(), png.size()));
    ASSERT_TRUE(image->LoadFromFile(dir.File(L"p.png").c_str()));
    EXPECT_EQ(PixelOf(image->GetBits(), 4, 3, 3), Argb(255, 0, 100, 200));
    image->Destroy();
}

TEST(Image, GreyCopyOfPureRedIs76WithTheSameAlpha) {
    ManagerPtr manager = NewManager();
    duImage* image = AddImage(manager.get(), L"red", 3, 2, [](int x, int) {
        return x == 0 ? Argb(255, 255, 0, 0) : (x == 1 ? Argb(128, 128, 0, 0) : Argb(255, 10, 200, 30));
    });
    duImage* grey = image->MakeGrayCopy();
    ASSERT_NE(grey, nullptr);
    EXPECT_EQ(manager->GetResObjCount(RES_IMAGE), 1);  // not registered
    EXPECT_EQ(wcslen(grey->GetName()), 100u);
    EXPECT_EQ(PixelOf(grey->GetBits(), 3, 0, 0), Argb(255, 76, 76, 76));
    EXPECT_EQ(PixelOf(grey->GetBits(), 3, 1, 1), Argb(128, 38, 38, 38));
    BYTE mixed = BYTE((306 * 10 + 601 * 200 + 117 * 30) >> 10);
    EXPECT_EQ(PixelOf(grey->GetBits(), 3, 2, 0), Argb(255, mixed, mixed, mixed));
    EXPECT_EQ(PixelOf(image->GetBits(), 3, 0, 0), Argb(255, 255, 0, 0));  // the original stays
    grey->Destroy();
}

TEST(Image, RandomNamesNeverRepeatWithinARun) {
    std::set<std::wstring> names;
    for (int i = 0; i < 2000; ++i) {
        std::wstring name = duImage::MakeRandomName();
        ASSERT_EQ(name.size(), 100u);
        ASSERT_EQ(name.find_first_not_of(L"0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"),
                  std::wstring::npos);
        names.insert(name);
    }
    EXPECT_EQ(names.size(), 2000u);
}

TEST(Image, ScaledCopyKeepsPremultipliedColours) {
    ManagerPtr manager = NewManager();
    duImage* half = AddImage(manager.get(), L"half", 2, 2, [](int, int) { return Argb(128, 128, 64, 0); });
    duImage* big = half->MakeScaledCopy(8, 6);
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(big->GetWidth(), 8);
    EXPECT_EQ(big->GetHeight(), 6);
    DWORD p = PixelOf(big->GetBits(), 8, 4, 3);
    EXPECT_NEAR(AlphaOf(p), 128, 2);
    EXPECT_NEAR(RedOf(p), 128, 2);
    EXPECT_NEAR(GreenOf(p), 64, 2);
    EXPECT_EQ(half->MakeScaledCopy(0, 4), nullptr);
    big->Destroy();
}

TEST(Image, HlsShiftsHueAndKeepsGreyAndAlpha) {
    ManagerPtr manager = NewManager();
    duImage* image = AddImage(manager.get(), L"hls", 3, 1, [](int x, int) {
        return x == 0 ? Argb(255, 255, 0, 0) : (x == 1 ? Argb(255, 128, 128, 128) : Argb(0, 0, 0, 0));
    });
    EXPECT_FALSE(image->ApplyHls(0, 0, 0));  // no cache yet
    ASSERT_TRUE(image->BuildHlsCache());
    ASSERT_TRUE(image->BuildHlsCache());
    ASSERT_TRUE(image->ApplyHls(0, 0, 0));
    DWORD back = PixelOf(image->GetBits(), 3, 0, 0);  // the integer round trip is off by one at most
    EXPECT_EQ(AlphaOf(back), 255);
    EXPECT_EQ(RedOf(back), 255);
    EXPECT_LE(GreenOf(back), 1);
    EXPECT_LE(BlueOf(back), 1);
    EXPECT_EQ(PixelOf(image->GetBits(), 3, 1, 0), Argb(255, 128, 128, 128));
    ASSERT_TRUE(image->ApplyHls(85, 0, 0));  // a third of the circle: red to green
    DWORD green = PixelOf(image->GetBits(), 3, 0, 0);
    EXPECT_LE(RedOf(green), 6);
    EXPECT_GE(GreenOf(green), 250);
    EXPECT_LE(BlueOf(green), 6);
    EXPECT_EQ(PixelOf(image->GetBits(), 3, 1, 0), Argb(255, 128, 128, 128));
    EXPECT_EQ(PixelOf(image->GetBits(), 3, 2, 0), 0u);  // transparent stays transparent
    ASSERT_TRUE(image->ApplyHls(0, 0, 60));  // always from the cached original
    DWORD lighter = PixelOf(image->GetBits(), 3, 0, 0);
    EXPECT_EQ(RedOf(lighter), 255);
    EXPECT_GT(GreenOf(lighter), 80);
    EXPECT_EQ(GreenOf(lighter), BlueOf(lighter));
    EXPECT_GT(RedOf(PixelOf(image->GetBits(), 3, 1, 0)), 180);
}

TEST(Region, RoundAndHalfRoundRectangles) {
    ManagerPtr manager = NewManager();
    auto* round = static_cast<duRgn*>(manager->CreateResObj(L"r", RES_RGN));
    round->SetRgnType(L"RoundRect");
    round->SetRoundX(6);
    round->SetRoundY(6);
    HRGN region = round->CreateRegion(10, 5);
    ASSERT_NE(region, nullptr);
    RegionHandle expected(::CreateRoundRectRgn(0, 0, 11, 6, 6, 6));
    EXPECT_TRUE(::EqualRgn(region, expected.get()));

    auto* half = static_cast<duRgn*>(manager->CreateResObj(L"h", RES_RGN));
    half->SetRgnType(L"halfroundrect");
    half->SetRoundX(8);
    half->SetRoundY(8);
    HRGN shape = half->CreateRegion(40, 20);
    ASSERT_NE(shape, nullptr);
    EXPECT_FALSE(::PtInRegion(shape, 0, 0));    // rounded top corners
    EXPECT_FALSE(::PtInRegion(shape, 39, 0));
    EXPECT_TRUE(::PtInRegion(shape, 0, 19));    // square bottom corners
    EXPECT_TRUE(::PtInRegion(shape, 39, 19));
    EXPECT_TRUE(::PtInRegion(shape, 20, 10));

    // Any other type answers the last region built.
    half->SetRgnType(L"hexagon");
    EXPECT_EQ(half->CreateRegion(5, 5), shape);
    auto* fresh = static_cast<duRgn*>(manager->CreateResObj(L"f", RES_RGN));
    EXPECT_EQ(fresh->CreateRegion(5, 5), nullptr);
    fresh->SetStyleName(L"x");
    fresh->SetStyleName(nullptr);
    EXPECT_STREQ(fresh->GetStyleName(), L"");
    round->Destroy();
    half->Destroy();
    fresh->Destroy();
}

TEST(Region, TracedFromAPictureWithTransparentCornersAndReshaped) {
    SkinPtr skin = NewSkin();
    ASSERT_TRUE(skin->LoadSkin(nullptr));
    auto* traced = static_cast<duRgn*>(skin->GetResManager()->GetResObj(L"traced", RES_RGN));
    ASSERT_NE(traced, nullptr);
    // shape.png: 12 x 12, 2 x 2 transparent corners, drawn with 2-pixel parts.
    HRGN own = traced->CreateRegion(12, 12);
    ASSERT_NE(own, nullptr);
    for (POINT p : {POINT{0, 0}, POINT{1, 1}, POINT{11, 0}, POINT{0, 11}, POINT{10, 10}, POINT{11, 11}})
        EXPECT_FALSE(::PtInRegion(own, p.x, p.y)) << p.x << "," << p.y;
    for (POINT p : {POINT{2, 0}, POINT{0, 2}, POINT{9, 11}, POINT{6, 6}})
        EXPECT_TRUE(::PtInRegion(own, p.x, p.y)) << p.x << "," << p.y;

    HRGN wide = traced->CreateRegion(40, 30);
    ASSERT_NE(wide, nullptr);
    for (POINT p : {POINT{0, 0}, POINT{1, 1}, POINT{38, 0}, POINT{39, 1}, POINT{0, 28}, POINT{39, 29}})
        EXPECT_FALSE(::PtInRegion(wide, p.x, p.y)) << p.x << "," << p.y;
    for (POINT p : {POINT{2, 0}, POINT{37, 0}, POINT{0, 27}, POINT{20, 15}, POINT{39, 2}, POINT{37, 29}})
        EXPECT_TRUE(::PtInRegion(wide, p.x, p.y)) << p.x << "," << p.y;
    RECT box;
    ::GetRgnBox(wide, &box);
    EXPECT_EQ(box.right, 40);
    EXPECT_EQ(box.bottom, 30);

    // Starts from the picture again, not from the last shape.
    HRGN again = traced->CreateRegion(12, 12);
    EXPECT_EQ(::PtInRegion(again, 2, 0), TRUE);
    EXPECT_FALSE(::PtInRegion(again, 11, 11));
}

TEST(Region, StretchAndUnknownModes) {
    ManagerPtr manager = NewManager();
    AddImage(manager.get(), L"halfpic", 10, 10, [](int x, int) { return x < 5 ? 0u : Argb(255, 1, 1, 1); });
    auto* group = static_cast<duStyleGroup*>(manager->CreateResObj(L"s", RES_STYLE));
    auto* item = static_cast<duImageStyle*>(manager->CreateStyle(STYLE_IMAGE));
    item->SetPicFile(L"halfpic");
    item->SetPaintMode(L"stretch");
    group->AddStyleItem(item);
    ASSERT_TRUE(manager->AddResObj(group));
    auto* rgn = static_cast<duRgn*>(manager->CreateResObj(L"r", RES_RGN));
    rgn->SetRgnType(L"style");
    rgn->SetStyleName(L"s");
    HRGN stretched = rgn->CreateRegion(40, 20);
    ASSERT_NE(stretched, nullptr);
    RECT box;
    ::GetRgnBox(stretched, &box);
    EXPECT_EQ(box.left, 20);
    EXPECT_EQ(box.right, 40);
    EXPECT_EQ(box.bottom, 20);
    item->SetPaintMode(L"tile");
    EXPECT_EQ(rgn->CreateRegion(40, 20), nullptr);
    item->SetPaintMode(L"normal");
    item->SetState(STATE_OVER);  // no item for the normal state
    EXPECT_EQ(rgn->CreateRegion(40, 20), nullptr);
    rgn->Destroy();
}

TEST(Cursor, LoadsFromBytesThroughATemporaryFileItRemoves) {
    SkinPtr skin = NewSkin();
    ASSERT_TRUE(skin->LoadSkin(nullptr));
    SkinFile file;
    ASSERT_TRUE(skin->OpenSkinFile(L"cur_hand.pcur", L"PCURSOR", &file));
    std::string bytes(reinterpret_cast<const char*>(file.bytes), file.size);
    skin->CloseSkinFile(file);

    auto countTempCursors = [] {
        wchar_t folder[MAX_PATH];
        ::GetTempPathW(MAX_PATH, folder);
        WIN32_FIND_DATAW data;
        FindHandle find(::FindFirstFileW((std::wstring(folder) + L"CUR*.tmp").c_str(), &data));
        int n = 0;
        if (find)
            do ++n;
            while (::FindNextFileW(find.get(), &data));
        return n;
    };
    int before = countTempCursors();
    auto* cursor = static_cast<duCursor*>(skin->GetResManager()->CreateResObj(L"c", RES_CURSOR));
    ASSERT_TRUE(cursor->LoadFromBytes(reinterpret_cast<const BYTE*>(bytes.data()), int(bytes.size())));
    EXPECT_NE(cursor->GetHCursor(), nullptr);
    ICONINFO info = {};
    ASSERT_TRUE(::GetIconInfo(cursor->GetHCursor(), &info));
    EXPECT_EQ(info.xHotspot, 3u);
    EXPECT_EQ(info.yHotspot, 2u);
    if (info.hbmMask) ::DeleteObject(info.hbmMask);
    if (info.hbmColor) ::DeleteObject(info.hbmColor);
    EXPECT_EQ(countTempCursors(), before);
    EXPECT_FALSE(cursor->LoadFromBytes(nullptr, 5));
    EXPECT_FALSE(cursor->LoadFromBytes(reinterpret_cast<const BYTE*>("xx"), 2));
    EXPECT_EQ(cursor->GetHCursor(), nullptr);
    EXPECT_EQ(countTempCursors(), before);
    cursor->Destroy();
}
