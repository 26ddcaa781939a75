#include "executor/OVCalls.h"

#include "executor/OVControlFlow.h"
#include "executor/OVStack.h"
#include "language/OVBoolTbl.h"
#include "language/OVCode.h"
#include "language/OVStrTbl.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>

namespace ov {

int SubFrameDepth = 1;
std::vector<SubFrameType> SubFrames(SubFrameLimit + 1);
int LocalNumBase = 0;
int LocalStrBase = 0;

namespace {

// An own array of a calling routine that a call bound to an array parameter;
// Depth is the call-record depth of the callee that took the reference.
struct SharedArrayMark {
    int Depth = 0;
    int Type = 0;  // 0 Boolean, 1 numeric, 2 string (the order of the call record)
    int32_t Index = 0;
};
std::vector<SharedArrayMark> SharedArrays;

// What a reference argument names: an array record's binding.
struct ArrayBinding {
    int Type = 0;
    int32_t Index = 0;
    int32_t FirstElement = 0;
    uint8_t Kind = 0;
    uint8_t Dimensions = 0;
    Bounds Bound{};
};
// The bindings that the parameters of the call being entered replaced. The
// arguments were taken before the call, so a parameter whose argument names
// an already rebound record (a recursive call passing its own parameters,
// as in CALL R(Q(), P())) takes that record's binding from before the entry.
// Emptied by LoadCallRecord.
std::vector<ArrayBinding> EntryBindings;

template <typename Table>
inline bool ValidRecord(const Table &table, int32_t index)
{
    return index >= 1 && size_t(index) < table.size();
}

// ---------------------------------------------------------------- DEF FN slots

// Grows a local table so that the slot exists; 30102 when it cannot.
template <typename Record>
bool EnsureSlot(std::vector<Record> &table, int64_t slot)
{
    if (slot < 0)
        return false;
    if (size_t(slot) < table.size())
        return true;
    try {
        table.resize(size_t(slot) + 1);
    } catch (const std::bad_alloc &) {
        SetError(30102);
        return false;
    } catch (const std::length_error &) {
        SetError(30102);
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- the three tables

// An array parameter's binding beside its value: first element, kind,
// dimensions and the five bounds.
constexpr int BindingWords = 8;

struct BoolTable {
    using Record = BoolVarType;
    static constexpr int Type = 0;
    static constexpr uint8_t ArrayKind = bvArray;
    static std::vector<Record> &Records() { return BoolVars; }
    static size_t DataSize() { return BoolArrayData.size(); }
    static void PushValue(const Record &r) { LoPushBool(r.Value != 0); }
    static void PopValue(Record &r) { r.Value = LoPopBool() ? 1 : 0; }
    static void PushElement(size_t i) { LoPushBool(StoredToBool(BoolArrayData[i])); }
    static void PopElement(size_t i) { BoolArrayData[i] = BoolToStored(LoPopBool()); }
    static void DropElement() { LoPopBool(); }
};

struct NumTable {
    using Record = NumVarType;
    static constexpr int Type = 1;
    static constexpr uint8_t ArrayKind = nvArray;
    static std::vector<Record> &Records() { return NumVars; }
    static size_t DataSize() { return NumArrayData.size(); }
    static void PushValue(const Record &r) { LoPushNumber(r.Value); }
    static void PopValue(Record &r) { r.Value = LoPopNumber(); }
    static void PushElement(size_t i) { LoPushNumber(NumArrayData[i]); }
    static void PopElement(size_t i) { NumArrayData[i] = LoPopNumber(); }
    static void DropElement() { LoPopNumber(); }
};

struct StrTable {
    using Record = StrVarType;
    static constexpr int Type = 2;
    static constexpr uint8_t ArrayKind = svArray;
    static std::vector<Record> &Records() { return StrVars; }
    static size_t DataSize() { return StrArrayData.size(); }
    static void PushValue(const Record &r) { LoPushString(r.Value); }
    static void PopValue(Record &r) { r.Value = LoPopString(); }
    static void PushElement(size_t i) { LoPushString(StrArrayData[i]); }
    static void PopElement(size_t i) { StrArrayData[i] = LoPopString(); }
    static void DropElement() { LoPopString(); }
};

// The records first..last of a routine's range, clipped to the table.
struct Range {
    int32_t First = 1;
    int32_t Last = 0;
};

template <typename T>
Range ClipRange(int32_t before, int32_t last)
{
    const auto size = int64_t(T::Records().size());
    Range range;
    range.First = int32_t(std::max<int64_t>(int64_t(before) + 1, 1));
    range.Last = int32_t(std::min<int64_t>(last, size - 1));
    return range;
}

// The elements of an own array: a record of the array kind whose
// array-parameter byte is 0, its elements inside the table.
template <typename T>
bool OwnArrayElements(const typename T::Record &r, size_t &first, size_t &count)
{
    if (r.Kind != T::ArrayKind || r.ArrayParam != 0 || r.Dimensions < 1 || r.Dimensions > 5 || r.FirstElement < 1)
        return false;
    int64_t n = 1;
    for (int k = 0; k < r.Dimensions; ++k) {
        if (r.Bound[size_t(k)] < 0)
            return false;
        n *= int64_t(r.Bound[size_t(k)]) + 1;
        if (n > int64_t(T::DataSize()))
            return false;
    }
    if (int64_t(r.FirstElement) + n > int64_t(T::DataSize()))
        return false;
    first = size_t(r.FirstElement);
    count = size_t(n);
    return true;
}

// Local-stack entries that saving the range takes.
template <typename T>
int64_t SavedEntries(Range range)
{
    int64_t total = 0;
    for (int32_t i = range.First; i <= range.Last; ++i) {
        const auto &r = T::Records()[size_t(i)];
        size_t first = 0;
        size_t count = 0;
        if (OwnArrayElements<T>(r, first, count))
            total += int64_t(count);
        else
            total += r.ArrayParam != 0 ? 1 + BindingWords : 1;
    }
    return total;
}

// A record whose value alone is saved: not an own array, not an array
// parameter. Such a record never changes its kind during a run.
template <typename T>
bool IsPlainRecord(const typename T::Record &r)
{
    return r.Kind != T::ArrayKind && r.ArrayParam == 0;
}

template <typename T>
bool IsPlainRange(Range range)
{
    for (int32_t i = range.First; i <= range.Last; ++i) {
        if (!IsPlainRecord<T>(T::Records()[size_t(i)]))
            return false;
    }
    return true;
}

int64_t RangeSize(Range range)
{
    return std::max<int64_t>(int64_t(range.Last) - range.First + 1, 0);
}

template <typename T>
void SavePlainRange(Range range)
{
    for (int32_t i = range.First; i <= range.Last && ErrorNumber == 0; ++i)
        T::PushValue(T::Records()[size_t(i)]);
}

template <typename T>
void SaveRange(Range range)
{
    for (int32_t i = range.First; i <= range.Last && ErrorNumber == 0; ++i) {
        const auto &r = T::Records()[size_t(i)];
        size_t first = 0;
        size_t count = 0;
        if (OwnArrayElements<T>(r, first, count)) {
            for (size_t e = first; e < first + count; ++e)
                T::PushElement(e);
            continue;
        }
        T::PushValue(r);
        if (r.ArrayParam != 0) {
            LoPushNumber(r.FirstElement);
            LoPushNumber(r.Kind);
            LoPushNumber(r.Dimensions);
            for (const int32_t bound : r.Bound)
                LoPushNumber(bound);
        }
    }
}

bool IsShared(int type, int32_t index, size_t fromMark)
{
    for (size_t m = fromMark; m < SharedArrays.size(); ++m) {
        if (SharedArrays[m].Type == type && SharedArrays[m].Index == index)
            return true;
    }
    return false;
}

// The exact reverse of SaveRange. Own arrays marked from fromMark on were
// shared with the call that just ended: their saved elements are dropped.
template <typename T>
void RestoreRange(Range range, size_t fromMark)
{
    for (int32_t i = range.Last; i >= range.First && ErrorNumber == 0; --i) {
        auto &r = T::Records()[size_t(i)];
        size_t first = 0;
        size_t count = 0;
        if (OwnArrayElements<T>(r, first, count)) {
            const bool shared = IsShared(T::Type, i, fromMark);
            for (size_t e = first + count; e-- > first && ErrorNumber == 0;) {
                if (shared)
                    T::DropElement();
                else
                    T::PopElement(e);
            }
            continue;
        }
        if (r.ArrayParam != 0) {
            for (auto bound = r.Bound.rbegin(); bound != r.Bound.rend(); ++bound)
                *bound = int32_t(LoPopNumber());
            r.Dimensions = uint8_t(LoPopNumber());
            r.Kind = uint8_t(LoPopNumber());
            r.FirstElement = int32_t(LoPopNumber());
        }
        T::PopValue(r);
    }
}

template <typename T>
void RestorePlainRange(Range range)
{
    for (int32_t i = range.Last; i >= range.First && ErrorNumber == 0; --i)
        T::PopValue(T::Records()[size_t(i)]);
}

template <typename Record>
ArrayBinding BindingOf(int type, int32_t index, const Record &r)
{
    return ArrayBinding{type, index, r.FirstElement, r.Kind, r.Dimensions, r.Bound};
}

const ArrayBinding *ReplacedBinding(int type, int32_t index)
{
    for (const ArrayBinding &b : EntryBindings) {
        if (b.Type == type && b.Index == index)
            return &b;
    }
    return nullptr;
}

// GlPop into an array parameter: the parameter takes the dimensions, bounds,
// first element and kind of the referenced record and so names its array.
template <typename T>
void BindArray(int32_t parameter, int32_t referenceTag)
{
    if (TopTag() != referenceTag) {
        SetError(53131);
        return;
    }
    const long double reference = PopNumber();
    auto &records = T::Records();
    if (!(reference >= 1 && reference < static_cast<long double>(records.size())) || !ValidRecord(records, parameter)) {
        SetError(53131);
        return;
    }
    const auto source = int32_t(reference);
    const auto &from = records[size_t(source)];
    auto &to = records[size_t(parameter)];
    size_t first = 0;
    size_t count = 0;
    if (source != parameter && OwnArrayElements<T>(from, first, count))
        SharedArrays.push_back(SharedArrayMark{FrameStackTop, T::Type, source});
    const ArrayBinding *earlier = ReplacedBinding(T::Type, source);
    const ArrayBinding binding = earlier ? *earlier : BindingOf(T::Type, source, from);
    if (!ReplacedBinding(T::Type, parameter))
        EntryBindings.push_back(BindingOf(T::Type, parameter, to));
    to.Dimensions = binding.Dimensions;
    to.Bound = binding.Bound;
    to.FirstElement = binding.FirstElement;
    to.Kind = binding.Kind;
}

// GlPop into the placeholder of an expression argument: the value is dropped.
void DropArgument()
{
    switch (TopTag()) {
    case tagNumber: case tagNumRef: case tagStrRef: case tagBoolRef: PopNumber(); break;
    case tagString: PopString(); break;
    case tagBool: PopBool(); break;
    default: break;
    }
}

} // namespace

void ResetSubFrames()
{
    SubFrameDepth = 1;
    SubFrames.assign(SubFrameLimit + 1, SubFrameType{});
    SharedArrays.clear();
    EntryBindings.clear();
}

// ---------------------------------------------------------------- DEF FN frames

void PushLocalFrame(int numericSlots, int stringSlots)
{
    if (SubFrameDepth >= SubFrameLimit) {
        SetError(1040);
        return;
    }
    if (SubFrames.size() < size_t(SubFrameLimit) + 1)
        SubFrames.resize(size_t(SubFrameLimit) + 1);
    SubFrames[size_t(++SubFrameDepth)] = SubFrameType{numericSlots, stringSlots};
}

void PopLocalFrame()
{
    if (SubFrameDepth < 1) {
        SetError(1041);
        return;
    }
    --SubFrameDepth;
}

SubFrameType PeekLocalFrame()
{
    if (SubFrameDepth < 1 || size_t(SubFrameDepth) >= SubFrames.size()) {
        SetError(1041);
        return SubFrameType{};
    }
    return SubFrames[size_t(SubFrameDepth)];
}

void EnterUserFunction(const CodeType &nameCell)
{
    const int32_t v = nameCell.SecondCode;
    int32_t address = 0;
    if (nameCell.FirstCode == ckNumVar && ValidRecord(NumVars, v))
        address = NumVars[size_t(v)].FirstElement;
    else if (nameCell.FirstCode == ckStrVar && ValidRecord(StrVars, v))
        address = StrVars[size_t(v)].FirstElement;
    else
        return;
    if (address < 1 || address > CodeCapacity) {
        SetError(1055);
        return;
    }
    PushFunctionReturn(CodePos);
    if (ErrorNumber != 0)
        return;
    // The callee's slots start above the frame in use.
    const SubFrameType frame = PeekLocalFrame();
    if (ErrorNumber != 0)
        return;
    LocalNumBase += frame.First;
    LocalStrBase += frame.Second;
    CodePos = address;
}

void StoreLocalNumber(int32_t slot)
{
    if (TopTag() != tagNumber) {
        SetError(50021);
        return;
    }
    const int64_t at = int64_t(LocalNumBase) + slot;
    if (EnsureSlot(LocalNumVars, at))
        LocalNumVars[size_t(at)].Value = PopNumber();
}

void StoreLocalString(int32_t slot)
{
    if (TopTag() != tagString) {
        SetError(50021);
        return;
    }
    const int64_t at = int64_t(LocalStrBase) + slot;
    if (EnsureSlot(LocalStrVars, at))
        LocalStrVars[size_t(at)].Value = PopString();
}

void PushFrameSizes(int32_t numericSlots)
{
    CodeType next;
    PeekCode(next);
    int32_t stringSlots = 0;
    if (next.FirstCode == ckLocalStrCount && CodePos <= CodeEnd) {
        GetNextCode(next);
        stringSlots = next.SecondCode;
    }
    PushLocalFrame(std::max(numericSlots, 0), std::max(stringSlots, 0));
}

void ExecLeaveUserFunction()
{
    if (FunctionReturnDepth < 1) {
        SetError(1041);
        return;
    }
    CodePos = PopFunctionReturn();
    PopLocalFrame();
    const SubFrameType frame = PeekLocalFrame();
    if (ErrorNumber != 0)
        return;
    LocalNumBase -= frame.First;
    LocalStrBase -= frame.Second;
}

// ---------------------------------------------------------------- SUB and FUNCTION

void EnterCallRecord(const CallRecord &record)
{
    EntryBindings.clear();
    PushCallRecord(record);
}

void LoadCallRecord(int32_t first)
{
    CallRecord record{};
    record[0] = first;
    if (CodePos + 4 <= CodeEnd) {  // the common case: the five cells read in place
        for (size_t i = 1; i < record.size(); ++i)
            record[i] = CodeArray[size_t(CodePos++)].SecondCode;
    } else {
        for (size_t i = 1; i < record.size(); ++i) {
            CodeType cell;
            GetNextCode(cell);
            record[i] = cell.SecondCode;
        }
    }
    EnterCallRecord(record);
}

namespace {

// The ranges of the running routine's record.
struct RecordRanges {
    Range Booleans, Numbers, Strings;
};

RecordRanges RangesOf(const CallRecord &record)
{
    return RecordRanges{ClipRange<BoolTable>(record[0], record[1]), ClipRange<NumTable>(record[2], record[3]),
                        ClipRange<StrTable>(record[4], record[5])};
}

bool IsPlainRoutine(const RecordRanges &r)
{
    return IsPlainRange<BoolTable>(r.Booleans) && IsPlainRange<NumTable>(r.Numbers)
        && IsPlainRange<StrTable>(r.Strings);
}

// Local-stack entries that saving the ranges takes.
int64_t SavedEntries(const RecordRanges &r, bool plain)
{
    if (plain)
        return RangeSize(r.Booleans) + RangeSize(r.Numbers) + RangeSize(r.Strings);
    return SavedEntries<BoolTable>(r.Booleans) + SavedEntries<NumTable>(r.Numbers) + SavedEntries<StrTable>(r.Strings);
}

// What saving and restoring a routine's variables needs to know of its
// record: the clipped ranges, whether all are plain values and the entries
// the save takes. Kept for the two records met last (a recursive routine
// meets its own at every call) while the code and tables stay the same.
struct RoutineLayout {
    CallRecord Record{};
    uint32_t Generation = 0;
    RecordRanges Ranges;
    bool Plain = false;
    bool OnlyNumbers = false;  // plain, and no Boolean or string variables
    int64_t Entries = 0;
};
RoutineLayout Layouts[2];
size_t LastLayout = 0;

inline bool IsLayoutOf(const RoutineLayout &layout, const CallRecord &record)
{
    return layout.Generation == CodeGeneration && std::memcmp(&layout.Record, &record, sizeof record) == 0;
}

// Out of line, so that the common case below needs no registers saved.
[[gnu::noinline]] const RoutineLayout &NewLayoutOf(const CallRecord &record)
{
    LastLayout = 1 - LastLayout;
    RoutineLayout &layout = Layouts[LastLayout];
    if (IsLayoutOf(layout, record))
        return layout;
    layout.Record = record;
    layout.Generation = CodeGeneration;
    layout.Ranges = RangesOf(record);
    layout.Plain = IsPlainRoutine(layout.Ranges);
    layout.OnlyNumbers = layout.Plain && RangeSize(layout.Ranges.Booleans) == 0 && RangeSize(layout.Ranges.Strings) == 0;
    layout.Entries = SavedEntries(layout.Ranges, layout.Plain);
    return layout;
}

inline const RoutineLayout &LayoutOf(const CallRecord &record)
{
    if (IsLayoutOf(Layouts[LastLayout], record)) [[likely]]
        return Layouts[LastLayout];
    return NewLayoutOf(record);
}

// Out of line, so that the common case of numbers alone needs no registers
// saved.
[[gnu::noinline]] void SaveMixedLocals(const RoutineLayout &layout)
{
    const RecordRanges &ranges = layout.Ranges;
    if (layout.Plain) {
        SavePlainRange<BoolTable>(ranges.Booleans);
        SavePlainRange<NumTable>(ranges.Numbers);
        SavePlainRange<StrTable>(ranges.Strings);
        return;
    }
    SaveRange<BoolTable>(ranges.Booleans);
    SaveRange<NumTable>(ranges.Numbers);
    SaveRange<StrTable>(ranges.Strings);
}

[[gnu::noinline]] void RestoreMixedLocals(const RoutineLayout &layout, size_t fromMark)
{
    const RecordRanges &ranges = layout.Ranges;
    if (layout.Plain) {
        RestorePlainRange<StrTable>(ranges.Strings);
        RestorePlainRange<NumTable>(ranges.Numbers);
        RestorePlainRange<BoolTable>(ranges.Booleans);
        return;
    }
    RestoreRange<StrTable>(ranges.Strings, fromMark);
    RestoreRange<NumTable>(ranges.Numbers, fromMark);
    RestoreRange<BoolTable>(ranges.Booleans, fromMark);
}

} // namespace

void ExecSaveLocals()
{
    const CallRecord *record = TopCallRecord();
    if (record == nullptr)
        return;
    const RoutineLayout &layout = LayoutOf(*record);
    const RecordRanges &ranges = layout.Ranges;
    // Refuse the whole save rather than leave the local stack half filled.
    if (int64_t(LoTagStackTop) + layout.Entries >= StackEntryLimit) {
        SetError(30102);
        return;
    }
    if (layout.OnlyNumbers)
        SavePlainRange<NumTable>(ranges.Numbers);
    else
        SaveMixedLocals(layout);
}

void ExecRestoreLocals()
{
    // The marks of the call that just ended lie at the end of the list.
    size_t fromMark = SharedArrays.size();
    while (fromMark > 0 && SharedArrays[fromMark - 1].Depth > FrameStackTop)
        --fromMark;
    if (const CallRecord *record = TopCallRecord()) {
        const RoutineLayout &layout = LayoutOf(*record);
        if (layout.OnlyNumbers)
            RestorePlainRange<NumTable>(layout.Ranges.Numbers);
        else
            RestoreMixedLocals(layout, fromMark);
    }
    if (fromMark < SharedArrays.size())
        SharedArrays.resize(fromMark);
}

int32_t RoutineAddress(const CodeType &target)
{
    const int32_t v = target.SecondCode;
    int32_t address = -1;
    switch (target.FirstCode) {
    case ckNumVar:
        if (ValidRecord(NumVars, v) && (NumVars[size_t(v)].Kind == nvFunction || NumVars[size_t(v)].Kind == nvSub))
            address = NumVars[size_t(v)].FirstElement;
        break;
    case ckStrVar:
        if (ValidRecord(StrVars, v) && StrVars[size_t(v)].Kind == svFunction)
            address = StrVars[size_t(v)].FirstElement;
        break;
    case ckBoolVar:
        if (ValidRecord(BoolVars, v) && BoolVars[size_t(v)].Kind == bvFunction)
            address = BoolVars[size_t(v)].FirstElement;
        break;
    case ckCodeAddr:
        address = v;
        break;
    default:
        break;
    }
    return address >= 1 && address <= CodeCapacity ? address : -1;
}

void ExecCallRoutine()
{
    FetchCurrentCell();
    const int32_t address = RoutineAddress(CurrentCell);
    if (address < 0) {
        SetError(54033);
        return;
    }
    PushCallReturn(CodePos);
    if (ErrorNumber == 0)
        CodePos = address;
}

void ExecBindParameters()
{
    FetchCurrentCell();
    BindParameter(CurrentCell);
}

void BindParameter(const CodeType &parameter)
{
    const int32_t v = parameter.SecondCode;
    switch (parameter.FirstCode) {
    case ckNumVar:
        if (TopTag() != tagNumber) {
            SetError(53131);
        } else {
            const long double x = PopNumber();
            if (ValidRecord(NumVars, v))
                NumVars[size_t(v)].Value = x;
        }
        break;
    case ckStrVar:
        if (TopTag() != tagString) {
            SetError(53131);
        } else {
            QString s = PopString();
            if (ValidRecord(StrVars, v))
                StrVars[size_t(v)].Value = std::move(s);
        }
        break;
    case ckBoolVar:
        if (TopTag() != tagBool) {
            SetError(53131);
        } else {
            const bool b = PopBool();
            if (ValidRecord(BoolVars, v))
                BoolVars[size_t(v)].Value = b ? 1 : 0;
        }
        break;
    case ckNumArrVar: BindArray<NumTable>(v, tagNumRef); break;
    case ckStrArrVar: BindArray<StrTable>(v, tagStrRef); break;
    case ckBoolArrVar: BindArray<BoolTable>(v, tagBoolRef); break;
    case ckDummyCode: DropArgument(); break;
    default: break;
    }
}

void ExecPushArguments()
{
    FetchCurrentCell();
    PushResult(CurrentCell);
}

void PushResult(const CodeType &parameter)
{
    const int32_t v = parameter.SecondCode;
    switch (parameter.FirstCode) {
    case ckNumVar:
        if (ValidRecord(NumVars, v))
            PushNumber(NumVars[size_t(v)].Value);
        break;
    case ckStrVar:
        if (ValidRecord(StrVars, v))
            PushString(StrVars[size_t(v)].Value);
        break;
    case ckBoolVar:
        if (ValidRecord(BoolVars, v))
            PushBool(BoolVars[size_t(v)].Value != 0);
        break;
    // An array parameter hands back a reference to itself, that is, to the
    // array it names; the caller's placeholder drops it.
    case ckNumArrVar: PushNumVarRef(v); break;
    case ckStrArrVar: PushStrVarRef(v); break;
    case ckBoolArrVar: PushBoolVarRef(v); break;
    default: break;
    }
}

void ExecEndSub()
{
    const int32_t back = LeaveCallRecord();
    if (ErrorNumber == 0)
        CodePos = back;
}

int32_t LeaveCallRecord()
{
    if (!DropCallRecord())
        return 0;
    if (IntStackTop < 1) {
        SetError(54032);
        return 0;
    }
    return PopCallReturn();
}

} // namespace ov
