#include "tests/dulib/ctrl/SkinGrammar.h"

#include <cstdio>

#include "tests/dulib/ctrl/GuiHarness.h"

namespace guitest {

namespace {

// Values at and past the edges: int limits, numbers that overflow on the way,
// words and signs where digits belong.
const std::vector<std::wstring> kExtremes = {
    L"0",          L"-1",         L"1",          L"2147483647", L"-2147483648", L"2147483648", L"99999999999",
    L"5000000",    L"-5000000",   L"1000000000", L"-1000000000", L"center",     L"CENTER",     L"50%",
    L"abc",        L"",           L" 12 ",       L"+7",          L"0x10",       L"-0",         L"16385",
};

const std::vector<std::wstring> kTexts = {
    L"",
    L"OK",
    L"安装",
    L"Kestrane Vantor 3.2",
    L"C:\\Program Files\\Kestrane\\Vantor",
    L"\xD840\xDC0B\xD840\xDC0B pair",
    L"line one\r\nline two",
    L"a&b<c>\"d\"",
    std::wstring(126, L'x') + L"\xD840\xDC0B" + L"tail",
    std::wstring(400, L'W'),
};

const std::vector<std::wstring> kStates = {L"normal", L"over", L"press", L"focus", L"disable", L"normalall",
                                           L"checked", L"checkedover", L"checkedpress", L"checkedfocus",
                                           L"checkeddisable", L"checkedall", L"all", L"ALL", L"nonsense"};

const std::vector<std::wstring> kPaintModes = {L"normal", L"tile", L"stretch", L"stretchvert", L"stretchhorz",
                                               L"stretchpartall", L"STRETCH", L"", L"bogus"};

const std::vector<std::wstring> kLineTypes = {L"solid", L"dash", L"dot", L"dashdot", L"dashnotdot", L"", L"x"};

const std::vector<std::wstring> kAligns = {L"left", L"center", L"right", L"top", L"bottom", L"middle", L""};

const std::vector<std::wstring> kFaces = {L"Tahoma", L"微软雅黑", L"NoSuchFace", L""};

}  // namespace

std::wstring XmlEscape(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text) {
        switch (c) {
        case L'&': out += L"&amp;"; break;
        case L'<': out += L"&lt;"; break;
        case L'>': out += L"&gt;"; break;
        case L'"': out += L"&quot;"; break;
        case L'\r': out += L"&#13;"; break;
        case L'\n': out += L"&#10;"; break;
        default: out += c; break;
        }
    }
    return out;
}

SkinGrammar::SkinGrammar(unsigned seed, double extremeShare) : rng_(seed), extreme_(extremeShare) {}

std::wstring SkinGrammar::Number(int low, int high) {
    if (Chance(extreme_)) return Pick(kExtremes);
    return std::to_wstring(Between(low, high));
}

std::wstring SkinGrammar::Flag() {
    static const std::vector<std::wstring> words = {L"true", L"false", L"TRUE", L"yes", L""};
    return Chance(0.8) ? (Chance(0.5) ? L"true" : L"false") : Pick(words);
}

std::wstring SkinGrammar::Colour() {
    if (Chance(extreme_)) {
        static const std::vector<std::wstring> odd = {L"RGB(1,2)", L"rgb(9,9,9)", L"RGB(300,-4,99999999999)",
                                                      L"RGB( 1 , 2, 3)", L"", L"red"};
        return Pick(odd);
    }
    return L"RGB(" + std::to_wstring(Between(0, 255)) + L"," + std::to_wstring(Between(0, 255)) + L"," +
           std::to_wstring(Between(0, 255)) + L")";
}

std::wstring SkinGrammar::State() { return Chance(0.3) ? L"all" : Pick(kStates); }

std::wstring SkinGrammar::Text() { return Pick(kTexts); }

std::wstring SkinGrammar::Name(const std::wstring& stem) {
    // Now and then a name taken already, or one cut in the middle of a pair.
    if (Chance(0.03)) return L"Dup";
    if (Chance(0.02)) return std::wstring(126, L'N') + L"\xD840\xDC0B" + std::to_wstring(serial_++);
    return stem + std::to_wstring(serial_++);
}

std::wstring SkinGrammar::Attr(const char* name, const std::wstring& value) {
    std::wstring out = L" ";
    for (const char* p = name; *p; ++p) out += static_cast<wchar_t>(*p);
    return out + L"=\"" + XmlEscape(value) + L"\"";
}

std::wstring SkinGrammar::StyleItem() {
    std::wstring item;
    const int kind = Between(0, 3);
    const wchar_t* tags[] = {L"rect", L"text", L"image", L"line"};
    item = L"<";
    item += tags[kind];
    item += Attr("state", State());
    for (const char* a : {"left", "top", "right", "bottom", "width", "height"})
        if (Chance(0.4)) item += Attr(a, Number(-20, 40));
    switch (kind) {
    case 0:
        item += Attr("fillcolor", Colour()) + Attr("bordercolor", Colour()) + Attr("bfill", Flag()) +
                Attr("bborder", Flag()) + Attr("borderwidth", Number(0, 12)) + Attr("bordertype", Pick(kLineTypes));
        break;
    case 1:
        item += Attr("font", L"f" + std::to_wstring(Between(0, 3))) + Attr("textcolor", Colour()) +
                Attr("bsingleline", Flag()) + Attr("halign", Pick(kAligns)) + Attr("valign", Pick(kAligns));
        break;
    case 2:
        item += Attr("picfile", L"i" + std::to_wstring(Between(0, 3))) + Attr("paintmode", Pick(kPaintModes));
        for (const char* a : {"selectleft", "selecttop", "selectwidth", "selectheight", "left_part", "top_part",
                              "right_part", "bottom_part"})
            if (Chance(0.4)) item += Attr(a, Number(0, 12));
        break;
    default:
        item += Attr("color", Colour()) + Attr("linewidth", Number(0, 6)) + Attr("linetype", Pick(kLineTypes)) +
                Attr("startpoint", L"(" + Number(-20, 20) + L"," + Number(-20, 20) + L")") +
                Attr("endpoint", L"(" + Number(-20, 20) + L"," + Number(-20, 20) + L")");
        break;
    }
    return item + L"/>";
}

std::wstring SkinGrammar::Theme() {
    std::wstring t = L"<theme name=\"fuzz\">\r\n<dsfont>";
    for (int i = 0; i < 3; ++i)
        t += L"<font" + Attr("name", L"f" + std::to_wstring(i)) + Attr("height", Number(-30, 30)) +
             Attr("weight", Number(0, 1000)) + Attr("italic", Flag()) + Attr("underline", Flag()) +
             Attr("fontface", Pick(kFaces)) + L"/>";
    t += L"</dsfont>\r\n<dsimage>";
    t += L"<image name=\"i0\" value=\"p0.png\"/><image name=\"i1\" value=\"p1.png\"/>";
    t += L"<image name=\"i2\" value=\"missing.png\"/>";
    t += L"</dsimage>\r\n<dscursor><cursor name=\"c0\" value=\"missing.pcur\"/></dscursor>\r\n<dsstyle>";
    const int styles = Between(3, 8);
    for (int i = 0; i < styles; ++i) {
        const std::wstring name = L"s" + std::to_wstring(i);
        skin_.styleNames.push_back(name);
        t += L"<style" + Attr("name", name) + L">";
        const int items = Between(0, 5);
        for (int k = 0; k < items; ++k) t += StyleItem();
        t += L"</style>\r\n";
    }
    skin_.styleNames.push_back(L"missing");
    skin_.styleNames.push_back(L"");
    t += L"</dsstyle>\r\n<dsrgn>";
    t += L"<rgn name=\"r0\"" + Attr("type", Chance(0.5) ? L"roundrect" : L"halfroundrect") +
         Attr("roundx", Number(0, 20)) + Attr("roundy", Number(0, 20)) + L"/>";
    t += L"<rgn name=\"r1\" type=\"style\" style=\"s0\"/>";
    t += L"</dsrgn>\r\n</theme>\r\n";
    return t;
}

std::wstring SkinGrammar::Placement(bool inList) {
    std::wstring p;
    if (inList) return Attr("height", Number(10, 60)) + Attr("horzanchor", L"2");
    if (Chance(0.9)) p += Attr("left", Chance(0.1) ? L"center" : Number(-40, 200));
    if (Chance(0.9)) p += Attr("top", Chance(0.1) ? L"center" : Number(-40, 200));
    if (Chance(0.4)) p += Attr("right", Number(-40, 60));
    if (Chance(0.3)) p += Attr("bottom", Number(-40, 60));
    p += Attr("width", Chance(0.1) ? Number(1, 100) + L"%" : Number(0, 200));
    p += Attr("height", Number(0, 120));
    if (Chance(0.5)) p += Attr("horzanchor", Number(0, 3));
    if (Chance(0.5)) p += Attr("vertanchor", Number(0, 3));
    return p;
}

std::wstring SkinGrammar::ListBox(int depth, int* budget) {
    std::wstring l = L"<listboxex" + Attr("name", Name(L"List")) + Attr("style", Pick(skin_.styleNames)) +
                     Attr("itemstyle", Pick(skin_.styleNames)) + Attr("vertscrollbar", L"Bar") + Placement(false) +
                     L">";
    l += L"<scrollbar name=\"Bar\" visible=\"false\" left=\"-13\" top=\"0\" width=\"13\" bottom=\"0\" vertanchor=\"2\"" +
         Attr("thumbstyle", Pick(skin_.styleNames)) + Attr("vert", L"true") + Attr("step", Number(0, 40)) +
         Attr("minthumbsize", Number(0, 20)) + L"/>";
    // The row template the harness clones, as the application does.
    l += L"<layout" + Attr("name", L"Row_") + Attr("visible", L"false") + Placement(true) +
         Attr("style", Pick(skin_.styleNames)) + L">";
    l += L"<static" + Attr("name", L"RowName_") + Attr("style", Pick(skin_.styleNames)) + Attr("text", Text()) +
         Attr("left", Number(0, 40)) + Attr("right", Number(0, 40)) + Attr("horzanchor", L"2") +
         Attr("vertanchor", L"2") + L"/>";
    l += L"<checkbox" + Attr("name", L"RowCheck_") + Attr("style", Pick(skin_.styleNames)) +
         Attr("left", Number(0, 200)) + Attr("width", L"20") + Attr("height", L"20") + L"/>";
    l += L"</layout>";
    const int rows = Between(0, 3);
    for (int i = 0; i < rows && *budget > 0; ++i) l += Control(depth + 1, budget, true);
    return l + L"</listboxex>\r\n";
}

std::wstring SkinGrammar::Control(int depth, int* budget, bool inList) {
    --*budget;
    static const std::vector<std::wstring> tags = {
        L"layout", L"layout", L"static", L"static", L"button", L"button", L"checkbox", L"radio",
        L"progress", L"edit", L"edit", L"scrollbar", L"listboxex", L"combobox", L"slider", L"nosuchtag"};
    std::wstring tag = Pick(tags);
    if (tag == L"listboxex") {
        if (depth < 3 && !inList) return ListBox(depth, budget);
        tag = L"static";
    }
    std::wstring c = L"<" + tag + Attr("name", Name(tag)) + Attr("style", Pick(skin_.styleNames)) +
                     Placement(inList);
    if (Chance(0.6)) c += Attr("text", Text());
    if (Chance(0.15)) c += Attr("visible", Flag());
    if (Chance(0.15)) c += Attr("cached", Flag());
    if (Chance(0.1)) c += Attr("opaque", Flag());
    if (Chance(0.1)) c += Attr("associate", Flag());
    if (Chance(0.1)) c += Attr("ghost", Flag());
    if (Chance(0.2)) c += Attr("zorder", Number(0, 6));
    if (Chance(0.2)) c += Attr("alpha", Number(0, 255));
    if (Chance(0.1)) c += Attr("cursor", L"c0");
    if (tag == L"layout") {
        c += Attr("type", Number(0, 8)) + Attr("startx", Number(0, 10)) + Attr("starty", Number(0, 10)) +
             Attr("xspace", Number(0, 10)) + Attr("yspace", Number(0, 10));
    } else if (tag == L"button" || tag == L"checkbox" || tag == L"radio") {
        if (Chance(0.3)) c += Attr("autosize", Flag()) + Attr("fixleft", Number(0, 20)) + Attr("fixright", Number(0, 20));
        if (Chance(0.4)) c += Attr("fade", Flag()) + Attr("fadeinspeed", Number(0, 100)) + Attr("fadeoutspeed", Number(0, 100));
        if (Chance(0.3)) c += Attr("tooltip", Text());
        if (Chance(0.3))
            c += Attr("icon", L"i" + std::to_wstring(Between(0, 3))) + Attr("iconx", Number(-1, 20)) +
                 Attr("icony", Number(-1, 20)) + Attr("iconwidth", Number(0, 20)) + Attr("iconheight", Number(0, 20));
        if (Chance(0.3)) c += Attr("graydisable", Flag()) + Attr("status_icon", L"i0");
        if (Chance(0.4)) c += Attr("checked", Flag());
        if (tag == L"radio") c += Attr("groupid", Number(0, 2));
    } else if (tag == L"progress") {
        c += Attr("progresspos", Number(-10, 110)) + Attr("progressstyle", Pick(skin_.styleNames)) +
             Attr("leftborder", Number(0, 5)) + Attr("rightborder", Number(0, 5));
    } else if (tag == L"edit") {
        c += Attr("font", L"f" + std::to_wstring(Between(0, 3))) + Attr("leftborder", Number(0, 8)) +
             Attr("topborder", Number(0, 8)) + Attr("rightborder", Number(0, 8)) + Attr("textcolor", Colour()) +
             Attr("selectcolor", Colour());
        if (Chance(0.4)) c += Attr("tiptext", Text()) + Attr("tiptextcolor", Colour());
        if (Chance(0.2)) c += Attr("readonly", Flag());
        if (Chance(0.2)) c += Attr("password", Flag());
        if (Chance(0.2)) c += Attr("number", Flag());
    } else if (tag == L"scrollbar") {
        c += Attr("maxpos", Number(0, 400)) + Attr("pos", Number(0, 400)) + Attr("page", Number(0, 200)) +
             Attr("step", Number(0, 50)) + Attr("arrowheight", Number(0, 20)) + Attr("minthumbsize", Number(0, 20)) +
             Attr("vert", Flag()) + Attr("upstyle", Pick(skin_.styleNames)) +
             Attr("downstyle", Pick(skin_.styleNames)) + Attr("thumbstyle", Pick(skin_.styleNames));
    }
    const bool container = tag == L"layout" || tag == L"static" || tag == L"nosuchtag" || tag == L"button";
    const int children = container && depth < 4 ? Between(0, 3) : 0;
    if (children == 0 || *budget <= 0) return c + L"/>\r\n";
    c += L">";
    for (int i = 0; i < children && *budget > 0; ++i) c += Control(depth + 1, budget, false);
    return c + L"</" + tag + L">\r\n";
}

GeneratedSkin SkinGrammar::Generate() {
    skin_ = GeneratedSkin();
    std::wstring doc = L"<directui version=\"1.0\">\r\n" + Theme() + L"<ducontrol>\r\n";
    skin_.width = Between(120, 500);
    skin_.height = Between(100, 400);
    // No caption band: dragging it would start the system's modal move loop.
    doc += L"<duwindow name=\"W\" x=\"0\" y=\"0\"" + Attr("width", std::to_wstring(skin_.width)) +
           Attr("height", std::to_wstring(skin_.height)) + Attr("style", Pick(skin_.styleNames)) +
           Attr("layered", Chance(0.5) ? L"true" : L"false") + Attr("bordersize", Number(0, 6)) +
           Attr("minwidth", Number(0, 100)) + Attr("maxwidth", Number(0, 2000)) +
           (Chance(0.2) ? Attr("rgn", Chance(0.5) ? L"r0" : L"r1") : L"") + L">\r\n";
    int budget = Between(6, 30);
    while (budget > 0) doc += Control(1, &budget, false);
    doc += L"</duwindow>\r\n</ducontrol>\r\n</directui>\r\n";
    skin_.document = doc;
    return skin_;
}

bool SkinGrammar::Write(const TempDir& dir, const GeneratedSkin& skin) {
    FILE* f = _wfopen(dir.File(L"config.xml").c_str(), L"wb");
    if (!f) return false;
    fwrite("\xFF\xFE", 1, 2, f);
    fwrite(skin.document.data(), sizeof(wchar_t), skin.document.size(), f);
    fclose(f);
    return WritePng(dir.File(L"p0.png"), 7, 5, 0xC0308040) && WritePng(dir.File(L"p1.png"), 1, 1, 0x00000000);
}

}  // namespace guitest
