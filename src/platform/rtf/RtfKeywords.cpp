#include "platform/rtf/RtfKeywords.h"

#include <unordered_map>

namespace rtf
{

namespace
{

// Underline kinds; index = kind, 0 unused.
constexpr const char* UnderlineWords[] = {
    "ul",      "ul",       "ulw",   "uldb",      "uld",        "uldash",
    "uldashd", "uldashdd", "ulth",  "ulwave",    "ululdbwave", "ulhwave",
    "ulldash", "ulthdash", "ulthd", "ulthdashd", "ulthdashdd", "ulthldash"};
constexpr int UnderlineKinds = sizeof(UnderlineWords) / sizeof(UnderlineWords[0]);

struct Entry {
    std::string_view name;
    Kw kw;
};

constexpr Entry Entries[] = {
    {"rtf", Kw::Rtf},
    {"ansi", Kw::Ansi},
    {"mac", Kw::Mac},
    {"pc", Kw::Pc},
    {"pca", Kw::Pca},
    {"ansicpg", Kw::AnsiCpg},
    {"deff", Kw::Deff},
    {"fonttbl", Kw::FontTbl},
    {"f", Kw::F},
    {"fcharset", Kw::FCharset},
    {"cpg", Kw::Cpg},
    {"colortbl", Kw::ColorTbl},
    {"red", Kw::Red},
    {"green", Kw::Green},
    {"blue", Kw::Blue},

    {"pict", Kw::Pict},
    {"field", Kw::Field},
    {"fldinst", Kw::FldInst},
    {"fldrslt", Kw::FldRslt},
    {"object", Kw::Object},
    {"result", Kw::Result},
    {"shp", Kw::Shp},
    {"shpgrp", Kw::Shp},
    {"shpinst", Kw::ShpInst},
    {"shprslt", Kw::ShpRslt},
    {"shptxt", Kw::ShpTxt},
    {"shppict", Kw::ShpPict},
    {"nonshppict", Kw::NonShpPict},
    {"pn", Kw::Pn},
    {"pntext", Kw::PnText},
    {"listtext", Kw::ListText},
    {"listtable", Kw::ListTable},
    {"list", Kw::List},
    {"listlevel", Kw::ListLevel},
    {"listoverridetable", Kw::ListOverrideTable},
    {"listoverride", Kw::ListOverride},
    {"upr", Kw::Upr},
    {"ud", Kw::Ud},

    // Destinations whose content is never shown.
    {"info", Kw::SkipDest},
    {"stylesheet", Kw::SkipDest},
    {"header", Kw::SkipDest},
    {"headerl", Kw::SkipDest},
    {"headerr", Kw::SkipDest},
    {"headerf", Kw::SkipDest},
    {"footer", Kw::SkipDest},
    {"footerl", Kw::SkipDest},
    {"footerr", Kw::SkipDest},
    {"footerf", Kw::SkipDest},
    {"footnote", Kw::SkipDest},
    {"annotation", Kw::SkipDest},
    {"atnid", Kw::SkipDest},
    {"atnauthor", Kw::SkipDest},
    {"atndate", Kw::SkipDest},
    {"atnref", Kw::SkipDest},
    {"atrfstart", Kw::SkipDest},
    {"atrfend", Kw::SkipDest},
    {"comment", Kw::SkipDest},
    {"author", Kw::SkipDest},
    {"operator", Kw::SkipDest},
    {"title", Kw::SkipDest},
    {"subject", Kw::SkipDest},
    {"keywords", Kw::SkipDest},
    {"doccomm", Kw::SkipDest},
    {"company", Kw::SkipDest},
    {"category", Kw::SkipDest},
    {"manager", Kw::SkipDest},
    {"hlinkbase", Kw::SkipDest},
    {"creatim", Kw::SkipDest},
    {"revtim", Kw::SkipDest},
    {"printim", Kw::SkipDest},
    {"buptim", Kw::SkipDest},
    {"objdata", Kw::SkipDest},
    {"objclass", Kw::SkipDest},
    {"objname", Kw::SkipDest},
    {"objalias", Kw::SkipDest},
    {"objsect", Kw::SkipDest},
    {"objitem", Kw::SkipDest},
    {"objtopic", Kw::SkipDest},
    {"objtime", Kw::SkipDest},
    {"revtbl", Kw::SkipDest},
    {"rsidtbl", Kw::SkipDest},
    {"generator", Kw::SkipDest},
    {"xmlnstbl", Kw::SkipDest},
    {"themedata", Kw::SkipDest},
    {"colorschememapping", Kw::SkipDest},
    {"datastore", Kw::SkipDest},
    {"latentstyles", Kw::SkipDest},
    {"listpicture", Kw::SkipDest},
    {"pgdsctbl", Kw::SkipDest},
    {"filetbl", Kw::SkipDest},
    {"fchars", Kw::SkipDest},
    {"lchars", Kw::SkipDest},
    {"bkmkstart", Kw::SkipDest},
    {"bkmkend", Kw::SkipDest},
    {"xe", Kw::SkipDest},
    {"tc", Kw::SkipDest},
    {"txe", Kw::SkipDest},
    {"rxe", Kw::SkipDest},
    {"pntxta", Kw::SkipDest},
    {"pntxtb", Kw::SkipDest},
    {"leveltext", Kw::SkipDest},
    {"levelnumbers", Kw::SkipDest},
    {"listname", Kw::SkipDest},
    {"nonesttables", Kw::SkipDest},
    {"nesttableprops", Kw::SkipDest},
    {"do", Kw::SkipDest},
    {"mmathPr", Kw::SkipDest},
    {"userprops", Kw::SkipDest},
    {"docvar", Kw::SkipDest},
    {"ftnsep", Kw::SkipDest},
    {"ftnsepc", Kw::SkipDest},
    {"ftncn", Kw::SkipDest},
    {"aftnsep", Kw::SkipDest},
    {"aftnsepc", Kw::SkipDest},
    {"aftncn", Kw::SkipDest},
    {"template", Kw::SkipDest},
    {"password", Kw::SkipDest},
    {"passwordhash", Kw::SkipDest},
    {"protusertbl", Kw::SkipDest},
    {"wgrffmtfilter", Kw::SkipDest},
    {"pnseclvl", Kw::SkipDest},
    {"defchp", Kw::SkipDest},
    {"defpap", Kw::SkipDest},
    {"expandedcolortbl", Kw::SkipDest},
    {"panose", Kw::SkipDest},
    {"falt", Kw::SkipDest},
    {"fname", Kw::SkipDest},
    {"blipuid", Kw::SkipDest},
    {"picprop", Kw::SkipDest},
    {"formfield", Kw::SkipDest},
    {"datafield", Kw::SkipDest},
    {"htmltag", Kw::SkipDest},
    {"mhtmltag", Kw::SkipDest},
    {"background", Kw::SkipDest},
    {"oldcprops", Kw::SkipDest},
    {"oldpprops", Kw::SkipDest},
    {"oldsprops", Kw::SkipDest},
    {"oldtprops", Kw::SkipDest},
    {"ftnalt", Kw::SkipDest},
    {"txfieldtext", Kw::SkipDest},
    {"sn", Kw::SkipDest},
    {"shpprops", Kw::SkipDest},
    {"fontemb", Kw::SkipDest},
    {"fontfile", Kw::SkipDest},
    {"private", Kw::SkipDest},
    {"pgptbl", Kw::SkipDest},
    {"bookmarkstart", Kw::SkipDest},
    {"pxe", Kw::SkipDest},
    {"wbitmapinfo", Kw::SkipDest},

    {"plain", Kw::Plain},
    {"b", Kw::B},
    {"i", Kw::I},
    {"ul", Kw::Ul},
    {"ulnone", Kw::UlNone},
    {"strike", Kw::Strike},
    {"striked", Kw::StrikeD},
    {"cf", Kw::Cf},
    {"cb", Kw::Cb},
    {"chcbpat", Kw::Cb},
    {"highlight", Kw::Highlight},
    {"up", Kw::Up},
    {"dn", Kw::Dn},
    {"super", Kw::Super},
    {"sub", Kw::Sub},
    {"nosupersub", Kw::NoSuperSub},
    {"caps", Kw::Caps},
    {"scaps", Kw::SCaps},
    {"v", Kw::V},
    {"fs", Kw::Fs},
    {"wlcharoffset", Kw::WlCharOffset},
    {"updnprop", Kw::UpDnProp},
    {"afs", Kw::AFs},
    {"ab", Kw::AB},
    {"ai", Kw::AI},
    {"rtlch", Kw::RtlCh},
    {"ltrch", Kw::LtrCh},
    {"loch", Kw::LoCh},
    {"hich", Kw::HiCh},
    {"dbch", Kw::DbCh},

    {"pard", Kw::Pard},
    {"ql", Kw::Ql},
    {"qc", Kw::Qc},
    {"qr", Kw::Qr},
    {"qj", Kw::Qj},
    {"qd", Kw::Qd},
    {"li", Kw::Li},
    {"lin", Kw::Li},
    {"ri", Kw::Ri},
    {"rin", Kw::Ri},
    {"fi", Kw::Fi},
    {"sb", Kw::Sb},
    {"sa", Kw::Sa},
    {"sl", Kw::Sl},
    {"slmult", Kw::SlMult},
    {"pagebb", Kw::PageBb},
    {"rtlpar", Kw::RtlPar},
    {"ltrpar", Kw::LtrPar},
    {"intbl", Kw::InTbl},
    {"tx", Kw::Tx},
    {"tb", Kw::Tb},
    {"tqr", Kw::Tqr},
    {"tqc", Kw::Tqc},
    {"tqdec", Kw::Tqdec},
    {"ls", Kw::Ls},
    {"ilvl", Kw::Ilvl},
    {"wlbulletlevel", Kw::WlBulletLevel},

    {"pnlvlblt", Kw::PnLvlBlt},
    {"pnlvlbody", Kw::PnLvlBody},
    {"pnlvlcont", Kw::PnLvlCont},
    {"pnlvl", Kw::PnLvl},
    {"listid", Kw::ListId},
    {"levelnfc", Kw::LevelNfc},
    {"levelnfcn", Kw::LevelNfcN},

    {"par", Kw::Par},
    {"line", Kw::Line},
    {"tab", Kw::Tab},
    {"page", Kw::Page},
    {"sect", Kw::Sect},
    {"column", Kw::Column},
    {"cell", Kw::Cell},
    {"nestcell", Kw::NestCell},
    {"row", Kw::Row},
    {"nestrow", Kw::NestRow},
    {"trowd", Kw::TRowD},
    {"cellx", Kw::CellX},
    {"emdash", Kw::EmDash},
    {"endash", Kw::EnDash},
    {"emspace", Kw::EmSpace},
    {"enspace", Kw::EnSpace},
    {"qmspace", Kw::QmSpace},
    {"bullet", Kw::Bullet},
    {"lquote", Kw::LQuote},
    {"rquote", Kw::RQuote},
    {"ldblquote", Kw::LDblQuote},
    {"rdblquote", Kw::RDblQuote},
    {"zwj", Kw::Zwj},
    {"zwnj", Kw::Zwnj},
    {"ltrmark", Kw::LtrMark},
    {"rtlmark", Kw::RtlMark},
    {"u", Kw::U},
    {"uc", Kw::Uc},

    {"pngblip", Kw::PngBlip},
    {"jpegblip", Kw::JpegBlip},
    {"emfblip", Kw::EmfBlip},
    {"wmetafile", Kw::WMetafile},
    {"dibitmap", Kw::DiBitmap},
    {"wbitmap", Kw::WBitmap},
    {"macpict", Kw::MacPict},
    {"pmmetafile", Kw::PmMetafile},
    {"picw", Kw::PicW},
    {"pich", Kw::PicH},
    {"picwgoal", Kw::PicWGoal},
    {"pichgoal", Kw::PicHGoal},
    {"picscalex", Kw::PicScaleX},
    {"picscaley", Kw::PicScaleY},
    {"wbmbitspixel", Kw::WbmBitsPixel},
    {"wbmwidthbytes", Kw::WbmWidthBytes},
};

struct Table {
    std::unordered_map<std::string_view, std::pair<Kw, int>> map;
    Table()
    {
        map.reserve(512);
        for (const Entry& e : Entries)
            map.emplace(e.name, std::make_pair(e.kw, 0));
        for (int kind = 2; kind < UnderlineKinds; ++kind)
            map.emplace(UnderlineWords[kind], std::make_pair(Kw::UlVariant, kind));
    }
};

} // namespace

Kw lookupKeyword(std::string_view name, int* variant)
{
    static const Table table;
    const auto found = table.map.find(name);
    if (found == table.map.end())
        return Kw::Unknown;
    if (variant)
        *variant = found->second.second;
    return found->second.first;
}

const char* underlineWord(int kind)
{
    if (kind < 1 || kind >= UnderlineKinds)
        return "ul";
    return UnderlineWords[kind];
}

} // namespace rtf
