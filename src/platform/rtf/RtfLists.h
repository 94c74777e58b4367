#pragma once

#include "platform/rtf/RtfKeywords.h"
#include "platform/rtf/RtfModel.h"

#include <QHash>
#include <QString>
#include <QTextListFormat>

#include <cstdint>
#include <string>
#include <vector>

class QTextBlock;
class QTextList;

// Numbered and bulleted lists in RTF: the list table (\listtable, \listoverridetable, \lsN,
// \ilvlN) and the older paragraph numbering (\pn), read into QTextListFormats; and written back.
namespace rtf::detail
{

// RTF number formats (\levelnfc).
enum Nfc : int {
    NfcDecimal = 0,
    NfcUpperRoman = 1,
    NfcLowerRoman = 2,
    NfcUpperLetter = 3,
    NfcLowerLetter = 4,
    NfcBullet = 23,
    NfcNone = 255,
};

// The paragraph numbering a \pn group gives (carried by the paragraph properties).
struct PnState {
    uint8_t scheme = 0; // 0 none, 1 bullet, 2 numbered
    uint8_t nfc = NfcDecimal;
    int start = 1;
    int texts = -1; // into ListReader's texts: what stands before and after the number
    bool operator==(const PnState&) const = default;
};

// Collects the list table, the overrides and the \pn groups, and makes one model list per
// override and level (or \pn numbering and level) that paragraphs use.
class ListReader
{
public:
    explicit ListReader(Model& model) : m_model(model) {}

    // The list table.
    void beginList();
    void beginLevel();
    void onListWord(Kw kw, int param); // in \list or \listlevel
    void appendLevelText(QChar c);     // in \leveltext
    // The override table.
    void beginOverride();
    void onOverrideWord(Kw kw, int param);
    // \pn groups.
    void beginPn(PnState& pn);
    void onPnWord(Kw kw, int param, PnState& pn, int& ilvl);
    void appendPnText(bool before, QChar c);
    void endPn(PnState& pn);

    // Whether the list of override `ls` at level `ilvl` shows bullets; false when unknown.
    bool isBullet(int ls, int ilvl) const;
    // The model list of override `ls` at level `ilvl`, made on first use; -1 when the override or
    // its list is not known or the level is a bullet.
    int numberedList(int ls, int ilvl);
    // The model list of a numbered \pn paragraph at `ilvl`.
    int pnList(const PnState& pn, int ilvl);

private:
    struct Level {
        int nfc = NfcDecimal;
        int start = 1;
        bool startGiven = false;
        QString text; // placeholders are the characters 0..8
        bool hasText = false;
    };
    struct List {
        int id = 0;
        int levels = 0;
        Level level[9];
    };
    struct Override {
        int listId = 0;
        int start[9] = {0, 0, 0, 0, 0, 0, 0, 0, 0}; // 0: the list's own
    };

    const Level* levelOf(int ls, int ilvl, const Override** override) const;
    int addList(const QTextListFormat& format);

    Model& m_model;
    std::vector<List> m_lists;
    QHash<int, int> m_listById;
    QHash<int, Override> m_overrides; // \ls -> override
    int m_currentList = -1;
    int m_currentLevel = -1;
    Override m_currentOverride;
    int m_overrideLevel = -1;
    bool m_overrideHasStart = false;
    std::vector<std::pair<QString, QString>> m_pnTexts;
    QString m_pnBefore, m_pnAfter;
    QHash<qint64, int> m_madeLists; // (ls, level) -> model list
    QHash<QString, int> m_madePnLists;
};

// The list format of a level: style, prefix and suffix from an RTF level text and number format.
QTextListFormat listFormatFor(int nfc, const QString& levelText, int level, int start, int group);

// Collects the numbered lists a document writes and writes their list table.
class ListTableWriter
{
public:
    struct Item {
        int ls = 0;    // override number
        int level = 0; // 0..8
    };
    // The override and level the list's paragraphs are written with.
    Item itemFor(const QTextList& list);
    // {\*\listtable ...}{\*\listoverridetable ...}, empty when no list was written.
    std::string tables() const;

private:
    struct Group {
        int id = 0;
        QTextListFormat levels[9];
        bool used[9] = {};
    };
    std::vector<Group> m_groups;
    QHash<const QTextList*, Item> m_items;
    QHash<int, int> m_groupByKey; // ListGroup property -> group
};

} // namespace rtf::detail
