// The party identification objects of a line control without a telephony service:
// filling from hand-built call-info blocks, the announcement decision and its trace
// block, the record copies, the computed Name and Number, and the property dump.

#include <TapiConstants.h>
#include <TnvLinePrivate.h>
#include <TnvCallerID.h>
#include <TnvLine.h>

#include <QByteArray>
#include <QMetaProperty>
#include <QRegularExpression>
#include <QStringList>

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <optional>
#include <utility>

namespace {

using Party = TnvCallerID::Party;
using Fill = TnvCallerID::Fill;
using Record = TnvCallerID::Record;

// The fields of one party as the service would set them; texts are appended behind
// the fixed part unless an offset is forced.
struct PartyFields {
    PartyFields(DWORD flags, QByteArray number, QByteArray name, std::optional<DWORD> numberOffset = {},
                std::optional<DWORD> nameOffset = {})
        : flags(flags), number(std::move(number)), name(std::move(name)), numberOffset(numberOffset),
          nameOffset(nameOffset)
    {}

    DWORD flags;
    QByteArray number;
    QByteArray name;
    std::optional<DWORD> numberOffset;
    std::optional<DWORD> nameOffset;
};

DWORD* partyFields(QByteArray& block, Party party)
{
    const std::size_t offsets[] = {offsetof(LINECALLINFO, dwCallerIDFlags), offsetof(LINECALLINFO, dwCalledIDFlags),
                                   offsetof(LINECALLINFO, dwConnectedIDFlags),
                                   offsetof(LINECALLINFO, dwRedirectionIDFlags),
                                   offsetof(LINECALLINFO, dwRedirectingIDFlags)};
    return reinterpret_cast<DWORD*>(block.data() + offsets[party]);
}

QByteArray callInfo(const std::map<Party, PartyFields>& parties)
{
    QByteArray block(qsizetype(sizeof(LINECALLINFO)), '\0');
    for (const auto& [party, fields] : parties) {
        const DWORD numberAt = DWORD(block.size());
        block += fields.number;
        const DWORD nameAt = DWORD(block.size());
        block += fields.name;
        DWORD values[5] = {fields.flags, DWORD(fields.number.size()), fields.numberOffset.value_or(numberAt),
                           DWORD(fields.name.size()), fields.nameOffset.value_or(nameAt)};
        std::memcpy(partyFields(block, party), values, sizeof values);
    }
    const DWORD size = DWORD(block.size());
    for (int i = 0; i < 3; ++i)
        std::memcpy(block.data() + 4 * i, &size, sizeof size);
    return block;
}

class CallerIDTest : public ::testing::Test {
protected:
    CallerIDTest()
    {
        m_line.Vantage()->Log()->setCount(1000);
        m_mark = lines().size();
    }

    QStringList lines() const { return m_line.Vantage()->Log()->Lines(); }
    QStringList newLines()
    {
        const QStringList all = lines();
        const QStringList fresh = all.mid(m_mark);
        m_mark = all.size();
        return fresh;
    }

    TnvLine m_line;
    qsizetype m_mark = 0;
};

const char* const kPartNames[] = {"CallerID", "CalledID", "ConnectedID", "RedirectionID", "RedirectingID"};

} // namespace

TEST_F(CallerIDTest, StartsWithItsDefaultsAndPublishesInOrder)
{
    for (int i = 0; i < TnvCallerID::PartyCount; ++i) {
        TnvCallerID id(TnvLinePrivate::get(&m_line), kPartNames[i], nullptr);
        EXPECT_EQ(id.objectName(), kPartNames[i]);
        EXPECT_EQ(id.party(), Party(i));
        EXPECT_TRUE(id.FormatName());
        EXPECT_EQ(id.MaskNumber(), "000-000-0000;0");
        EXPECT_TRUE(id.EventFilter());
        EXPECT_EQ(id.Name(), "");
        EXPECT_EQ(id.Flags(), 0u);
        EXPECT_FALSE(id.Blocked() || id.OutOfArea() || id.reported());
    }
    TnvCallerID id(TnvLinePrivate::get(&m_line), "CallerID", nullptr);
    const QMetaObject* meta = id.metaObject();
    QStringList names;
    QStringList stored;
    for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i) {
        names << meta->property(i).name();
        if (meta->property(i).isStored())
            stored << meta->property(i).name();
    }
    EXPECT_EQ(names, QStringList({"FormatName", "MaskNumber", "EventFilter", "Name", "Number", "Blocked", "OutOfArea",
                                  "Flags"}));
    EXPECT_EQ(stored, QStringList({"FormatName", "MaskNumber", "EventFilter"}));
}

TEST_F(CallerIDTest, SettingsWriteNoTraceAndAffectTheNextRead)
{
    TnvCallerID id(TnvLinePrivate::get(&m_line), "CallerID", nullptr);
    Record raw;
    raw.rawName = "SMITH JOHN";
    raw.rawNumber = "5551234567";
    id.load(raw);
    EXPECT_EQ(id.Name(), "Smith John");
    id.setFormatName(false);
    id.setMaskNumber("");
    id.setEventFilter(false);
    EXPECT_EQ(id.Name(), "SMITH JOHN");
    EXPECT_EQ(id.Number(), "5551234567");
    EXPECT_FALSE(id.EventFilter());
    EXPECT_TRUE(newLines().isEmpty());
    // A mask nobody could have meant is refused; the old one stays.
    id.setMaskNumber("0000");
    id.setMaskNumber(QString(5000, u'0'));
    EXPECT_EQ(id.MaskNumber(), "0000");
}

TEST_F(CallerIDTest, NumberFollowsTranslationAndMask)
{
    struct NumberCase {
        const char* what;
        QString raw;
        bool translate;
        bool unformat;
        QString mask;
        QString expected;
    };
    const NumberCase cases[] = {
        {"stripped and masked", "(555) 123-4567", false, true, "000-000-0000;0;*", "555-123-4567"},
        {"blank field makes no difference", "(555) 123-4567", false, true, "000-000-0000;0", "555-123-4567"},
        {"stripped, no mask", "+1 (555) 123.4567", false, true, "", "15551234567"},
        {"translated numbers stay raw", "(555) 123-4567", true, true, "", "(555) 123-4567"},
        {"translated numbers are still masked", "5551234", true, true, "000-000-0000;0", "555-123-4   "},
        {"empty number is laid out", "", false, true, "000-000-0000;0", "   -   -    "},
        // What the device dials does not matter: a shown number is always stripped.
        {"caller punctuation goes before the mask", "+1 (425) 555-0100", false, false, "000-000-0000;0;*",
         "142-555-50100"},
        {"stripped, laid out from the right", "+1 (425) 555-0100", false, false, "!000-0000;0", "1425555-0100"},
        {"stripped without a mask", "+1 (425) 555.0100", false, false, "", "14255550100"},
        {"translated and not unformatted stays raw", "+1 (425) 555-0100", true, false, "", "+1 (425) 555-0100"},
        {"a network address keeps its dots", "alice@127.0.0.1", false, false, "", "alice@127.0.0.1"},
        {"an address with a port and dashes", "sip-user@host-1.example.org", false, true, "", "sip-user@host-1.example.org"},
        // A mask lays out telephone numbers only; an address is shown whole.
        {"an address is not masked", "alice@127.0.0.1", false, false, "000-000-0000;0;*", "alice@127.0.0.1"},
        {"nor an address with digits", "bob@127.0.0.1", true, false, "000-000-0000;0", "bob@127.0.0.1"},
        {"nor a URI with a name", "sip:alice", false, false, "000-000-0000;0", "sip:alice"},
        {"a tel: number is masked", "tel:+1-425-555-0100", false, false, "000-000-0000;0", "142-555-50100"},
        {"a sip: number is masked", "sip:4255550100", false, false, "000-000-0000;0", "425-555-0100"},
    };
    TnvCallerID id(TnvLinePrivate::get(&m_line), "CalledID", nullptr);
    for (const NumberCase& c : cases) {
        m_line.Device()->setTranslatePhoneNumber(c.translate);
        m_line.Device()->setUnformatPhoneNumber(c.unformat);
        id.setMaskNumber(c.mask);
        Record raw;
        raw.rawNumber = c.raw;
        id.load(raw);
        EXPECT_EQ(id.Number(), c.expected) << c.what;
        EXPECT_EQ(id.rawNumber(), c.raw) << c.what;
    }
}

TEST_F(CallerIDTest, FillsEachPartyFromItsOwnFields)
{
    struct FillCase {
        const char* what;
        PartyFields fields;
        QString name;
        QString number;
        bool blocked;
        bool outOfArea;
    };
    const FillCase cases[] = {
        {"trimmed texts", {LINECALLPARTYID_NAME | LINECALLPARTYID_ADDRESS, " 5551234567 \0", "\tSMITH JOHN  \0"},
         "SMITH JOHN", "5551234567", false, false},
        {"cut at the first NUL", {LINECALLPARTYID_ADDRESS, QByteArray("555\0999", 7), "A\0B"}, "A", "555", false, false},
        {"blocked", {LINECALLPARTYID_BLOCKED, "", ""}, "", "", true, false},
        {"out of area", {LINECALLPARTYID_OUTOFAREA, "1", "X"}, "X", "1", false, true},
        {"unknown", {LINECALLPARTYID_UNKNOWN, "2", ""}, "", "2", false, false},
        {"unavailable", {LINECALLPARTYID_UNAVAIL | LINECALLPARTYID_BLOCKED | LINECALLPARTYID_OUTOFAREA, "", ""}, "",
         "", true, true},
        {"offsets outside the block", {LINECALLPARTYID_ADDRESS, "5551234", "NAME", 0x7FFFFFF0u, 0xFFFFFFFFu}, "", "",
         false, false},
    };
    for (int p = 0; p < TnvCallerID::PartyCount; ++p) {
        for (const FillCase& c : cases) {
            // Another party's fields in the same block must not leak into this one.
            const Party other = Party((p + 1) % TnvCallerID::PartyCount);
            const QByteArray block = callInfo({{Party(p), c.fields}, {other, {0x4, "999", "OTHER"}}});
            TnvCallerID id(TnvLinePrivate::get(&m_line), kPartNames[p], nullptr);
            id.setFormatName(false);
            EXPECT_EQ(id.fillFrom(block), Fill::Changed) << c.what;
            EXPECT_EQ(id.rawName(), c.name) << kPartNames[p] << ' ' << c.what;
            EXPECT_EQ(id.rawNumber(), c.number) << kPartNames[p] << ' ' << c.what;
            EXPECT_EQ(id.Name(), c.name) << c.what;
            EXPECT_EQ(id.Flags(), c.fields.flags) << c.what;
            EXPECT_EQ(id.Blocked(), c.blocked) << c.what;
            EXPECT_EQ(id.OutOfArea(), c.outOfArea) << c.what;
            EXPECT_FALSE(id.reported()) << c.what;
        }
    }
}

TEST_F(CallerIDTest, RejectsABlockTooShortForThePartyFields)
{
    TnvCallerID id(TnvLinePrivate::get(&m_line), "RedirectingID", nullptr);
    Record before;
    before.rawName = "KEPT";
    before.flags = LINECALLPARTYID_NAME;
    id.load(before);
    QByteArray block = callInfo({{Party::Redirecting, {LINECALLPARTYID_ADDRESS, "1", "N"}}});
    block.truncate(qsizetype(offsetof(LINECALLINFO, dwRedirectingIDNameOffset)) + 3);
    EXPECT_EQ(id.fillFrom(block), Fill::Invalid);
    EXPECT_EQ(id.fillFrom(QByteArray()), Fill::Invalid);
    EXPECT_EQ(id.rawName(), "KEPT");
    EXPECT_EQ(id.Flags(), LINECALLPARTYID_NAME);
}

TEST_F(CallerIDTest, RefillMarksOnlyChangesAsNew)
{
    const PartyFields first{LINECALLPARTYID_NAME | LINECALLPARTYID_ADDRESS, "5551234567", "SMITH JOHN"};
    struct Step {
        const char* what;
        PartyFields fields;
        Fill expected;
    };
    const Step steps[] = {
        {"first fill", first, Fill::Changed},
        {"same again", first, Fill::Unchanged},
        {"same after trimming", {first.flags, " 5551234567", "SMITH JOHN "}, Fill::Unchanged},
        {"flags alone", {LINECALLPARTYID_ADDRESS, "5551234567", "SMITH JOHN"}, Fill::Changed},
        {"number alone", {LINECALLPARTYID_ADDRESS, "5550000000", "SMITH JOHN"}, Fill::Changed},
        {"name alone", {LINECALLPARTYID_ADDRESS, "5550000000", "DOE JANE"}, Fill::Changed},
        {"emptied", {LINECALLPARTYID_ADDRESS, "", ""}, Fill::Changed},
        {"still empty", {LINECALLPARTYID_ADDRESS, "", ""}, Fill::Unchanged},
    };
    Record record;
    record.reported = true;
    for (const Step& s : steps) {
        record.reported = true;
        EXPECT_EQ(TnvCallerID::fill(record, Party::Connected, callInfo({{Party::Connected, s.fields}})), s.expected)
            << s.what;
        EXPECT_EQ(record.reported, s.expected == Fill::Unchanged) << s.what;
    }
}

TEST_F(CallerIDTest, DecidesAnnouncementByMarkFilterAndFlags)
{
    struct DecisionCase {
        const char* what;
        bool reported;
        bool eventFilter;
        quint32 flags;
        quint32 filter;
        bool due;
    };
    const quint32 offering = LINECALLPARTYID_UNKNOWN | LINECALLPARTYID_UNAVAIL;
    const DecisionCase cases[] = {
        {"unavailable is filtered at offering", false, true, LINECALLPARTYID_UNAVAIL, offering, false},
        {"unknown is filtered at offering", false, true, LINECALLPARTYID_UNKNOWN | 0x8, offering, false},
        {"filter off lets it through", false, false, LINECALLPARTYID_UNAVAIL, offering, true},
        {"known identification passes", false, true, LINECALLPARTYID_NAME | LINECALLPARTYID_ADDRESS, offering, true},
        {"no filter mask on call info", false, true, LINECALLPARTYID_UNAVAIL, 0, true},
        {"announced already", true, false, LINECALLPARTYID_ADDRESS, 0, false},
        {"announced and filtered", true, true, LINECALLPARTYID_UNAVAIL, offering, false},
    };
    for (const DecisionCase& c : cases) {
        Record record;
        record.reported = c.reported;
        record.eventFilter = c.eventFilter;
        record.flags = c.flags;
        EXPECT_EQ(TnvCallerID::isDue(record, c.filter), c.due) << c.what;

        TnvCallerID id(TnvLinePrivate::get(&m_line), "CallerID", nullptr);
        id.setEventFilter(c.eventFilter);
        Record raw = record;
        raw.eventFilter = !c.eventFilter; // the object's own setting decides
        id.load(raw);
        EXPECT_EQ(id.isDue(c.filter), c.due) << c.what;
    }
}

TEST_F(CallerIDTest, AnnouncesDuePartiesInOrderWithTheirBlocks)
{
    TnvCallerID::Records records;
    records[Party::Caller] = {"SMITH JOHN", "5551234567", false, false, LINECALLPARTYID_NAME | LINECALLPARTYID_ADDRESS,
                              false, true};
    records[Party::Called] = {"", "", true, true, 0x7F, false, false};
    records[Party::Connected] = {"X", "1", false, false, LINECALLPARTYID_ADDRESS, true, false};
    records[Party::Redirection] = {"", "", false, false, LINECALLPARTYID_UNAVAIL, false, true};
    records[Party::Redirecting] = {"O'HARA", "2", false, false, 0, false, false};

    // Redirecting is due but not in the state set; Connected is announced already.
    const quint32 states = 0x8000 | 0x10000 | 0x20000 | 0x40000;
    EXPECT_EQ(TnvCallerID::announceParties(TnvLinePrivate::get(&m_line), records, 0x00010002, states, 0x60), 2);
    EXPECT_EQ(newLines(),
              QStringList({"OnCallerID [00010002]", "\tCall.CallerID.Blocked = False",
                           "\tCall.CallerID.Name = 'SMITH JOHN'", "\tCall.CallerID.Number = '5551234567'",
                           "\tCall.CallerID.OutOfArea = False", "\tCall.CallerID.Flags = [0000000C]",
                           "\t\tLINECALLPARTYID_NAME", "\t\tLINECALLPARTYID_ADDRESS", "OnCalledID [00010002]",
                           "\tCall.CalledID.Blocked = True", "\tCall.CalledID.Name = ''",
                           "\tCall.CalledID.Number = ''", "\tCall.CalledID.OutOfArea = True",
                           "\tCall.CalledID.Flags = [0000007F]", "\t\tLINECALLPARTYID_BLOCKED",
                           "\t\tLINECALLPARTYID_OUTOFAREA", "\t\tLINECALLPARTYID_NAME", "\t\tLINECALLPARTYID_ADDRESS",
                           "\t\tLINECALLPARTYID_PARTIAL", "\t\tLINECALLPARTYID_UNKNOWN",
                           "\t\tLINECALLPARTYID_UNAVAIL"}));
    EXPECT_TRUE(records[Party::Caller].reported);
    EXPECT_TRUE(records[Party::Called].reported);
    EXPECT_FALSE(records[Party::Redirection].reported);
    EXPECT_FALSE(records[Party::Redirecting].reported);

    // A call-info message with no filter picks up the rest; nothing is announced twice.
    EXPECT_EQ(TnvCallerID::announceParties(TnvLinePrivate::get(&m_line), records, 0x00010002, 0xF8000, 0), 2);
    const QStringList rest = newLines();
    EXPECT_EQ(rest.filter(QRegularExpression("^On")), QStringList({"OnRedirectionID [00010002]",
                                                                    "OnRedirectingID [00010002]"}));
    EXPECT_TRUE(rest.contains("\tCall.RedirectingID.Name = 'O'HARA'"));
    EXPECT_EQ(TnvCallerID::announceParties(TnvLinePrivate::get(&m_line), records, 0x00010002, 0xF8000, 0), 0);
    EXPECT_TRUE(newLines().isEmpty());
}

TEST_F(CallerIDTest, FollowsOneIdentificationThroughACall)
{
    // The visible object's EventFilter reaches the record through save().
    TnvCallerID caller(TnvLinePrivate::get(&m_line), "CallerID", nullptr);
    TnvCallerID::Records records;
    records[Party::Caller] = caller.save();
    EXPECT_TRUE(records[Party::Caller].eventFilter);

    const auto refresh = [&](const PartyFields& fields, quint32 states, quint32 filter) {
        TnvCallerID::fillParties(records, callInfo({{Party::Caller, fields}}), states);
        return TnvCallerID::announceParties(TnvLinePrivate::get(&m_line), records, 0x42, states, filter);
    };
    const PartyFields unavailable{LINECALLPARTYID_UNAVAIL, "", ""};
    struct Step {
        const char* what;
        PartyFields fields;
        quint32 states;
        quint32 filter;
        int announced;
    };
    const Step steps[] = {
        {"offering with an unavailable caller", unavailable, 0xF8000, 0x60, 0},
        {"same identification by call info", unavailable, 0x8000, 0, 0},
        {"a number arrives", {LINECALLPARTYID_ADDRESS, "5551234567", ""}, 0x8000, 0, 1},
        {"the same number again", {LINECALLPARTYID_ADDRESS, "5551234567", ""}, 0x8000, 0, 0},
        {"other bits only leave it alone", {LINECALLPARTYID_NAME, "1", "X"}, 0x10000, 0, 0},
        {"flags change alone", {LINECALLPARTYID_ADDRESS | LINECALLPARTYID_PARTIAL, "5551234567", ""}, 0x8000, 0, 1},
    };
    for (const Step& s : steps)
        EXPECT_EQ(refresh(s.fields, s.states, s.filter), s.announced) << s.what;

    caller.load(records[Party::Caller]);
    caller.setMaskNumber("000-000-0000;0;*");
    EXPECT_EQ(caller.Number(), "555-123-4567");
    EXPECT_EQ(caller.Flags(), LINECALLPARTYID_ADDRESS | LINECALLPARTYID_PARTIAL);
    EXPECT_TRUE(caller.reported());
}

TEST_F(CallerIDTest, SavesLoadsAndResetsTheIdentificationOnly)
{
    TnvCallerID id(TnvLinePrivate::get(&m_line), "ConnectedID", nullptr);
    id.setFormatName(false);
    id.setMaskNumber("");
    id.setEventFilter(true);
    const Record record{"DOE JANE", "555", true, true, 0x3, true, false};
    id.load(record);
    EXPECT_TRUE(id.EventFilter()); // the record's copy does not overwrite the setting
    const Record saved = id.save();
    EXPECT_EQ(saved.rawName, "DOE JANE");
    EXPECT_EQ(saved.rawNumber, "555");
    EXPECT_TRUE(saved.blocked && saved.outOfArea && saved.reported && saved.eventFilter);
    EXPECT_EQ(saved.flags, 0x3u);

    id.Reset();
    EXPECT_EQ(id.rawName(), "");
    EXPECT_EQ(id.rawNumber(), "");
    EXPECT_EQ(id.Flags(), 0u);
    EXPECT_FALSE(id.Blocked() || id.OutOfArea() || id.reported());
    EXPECT_FALSE(id.FormatName());
    EXPECT_EQ(id.MaskNumber(), "");
    EXPECT_TRUE(id.EventFilter());
}

TEST_F(CallerIDTest, DumpsItsPropertiesInTraceOrder)
{
    m_line.Device()->setUnformatPhoneNumber(true);
    TnvCallerID id(TnvLinePrivate::get(&m_line), "RedirectionID", nullptr);
    id.setMaskNumber("000-000-0000;0;*");
    id.load({"SMITH JOHN", "(555) 123-4567", true, true, LINECALLPARTYID_BLOCKED | LINECALLPARTYID_OUTOFAREA, false,
             false});
    newLines();
    ASSERT_TRUE(id.LogProperties({}, "Call", "\t"));
    EXPECT_EQ(newLines(), QStringList({"\tCall.RedirectionID.Blocked = True", "\tCall.RedirectionID.EventFilter = True",
                                       "\tCall.RedirectionID.Flags = [00000003]",
                                       "\t\tCall.RedirectionID.LINECALLPARTYID_BLOCKED",
                                       "\t\tCall.RedirectionID.LINECALLPARTYID_OUTOFAREA",
                                       "\tCall.RedirectionID.FormatName = True",
                                       "\tCall.RedirectionID.MaskNumber = '000-000-0000;0;*'",
                                       "\tCall.RedirectionID.Name = 'Smith John'",
                                       "\tCall.RedirectionID.Number = '555-123-4567'",
                                       "\tCall.RedirectionID.OutOfArea = True"}));

    id.Reset();
    id.setMaskNumber("");
    ASSERT_TRUE(id.LogProperties("Dump", {}, {}));
    EXPECT_EQ(newLines(), QStringList({"Dump", "RedirectionID.Blocked = False", "RedirectionID.EventFilter = True",
                                       "RedirectionID.Flags = [00000000]", "RedirectionID.FormatName = True",
                                       "RedirectionID.MaskNumber = ''", "RedirectionID.Name = ''",
                                       "RedirectionID.Number = ''", "RedirectionID.OutOfArea = False"}));

    m_line.Vantage()->Log()->setActive(false);
    newLines();
    EXPECT_FALSE(id.LogProperties("Dump", "Call", "\t"));
    EXPECT_TRUE(newLines().isEmpty());
}
