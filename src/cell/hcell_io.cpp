// Writing and reading HCells: tag headers and bodies, the current layout by
// position and older ones by name through legacy tags, links as locations,
// and every problem reported as a diagnostic line.
//
// Sections: links; tag bodies; export; import.
#include <cstdlib>
#include <limits>

#include "core/log.h"
#include "cell/hcell.h"
#include "cell/layout_version.h"
#include "cell/location.h"
#include "cell/registry.h"
#include "cell/synapser.h"
#include "cell/tags.h"
#include "core/text_convert.h"
#include "cell/value_codec.h"

namespace {

constexpr const WChar* kError = WTXT("Error");
constexpr const WChar* kWarning = WTXT("Warning");
constexpr const WChar* kDisabled = WTXT("FEATURE DISABLED IN RELEASE!");
constexpr int32_t kMaxLinks = 1 << 20;

// The version text every tag body carries, "%f" of the layout version.
const WString& CurrentVersionText() {
    static const WString text = [] {
        WString t;
        t.Format(WTXT("%f"), kLayoutVersion);
        return t;
    }();
    return text;
}

double ParseVersion(const WString& text) {
    if (text == CurrentVersionText()) return kLayoutVersion;
    WString t(text);
    if (t.IsEmpty() || t[0] == WChar('0')) t.Assign(WTXT("5.2036"));
    NString narrow;
    WideToUtf8(t.CStr(), narrow);
    double v = 0;
    return ScanLeadingNumber(narrow.CStr(), v) ? v : 0.0;
}

// ---- links ---------------------------------------------------------------

bool ExportLinks(MemBlockCursor& c, Synapser& links) {
    if (!c.WriteValue(links.Count())) return false;
    for (int32_t i = 0; i < links.Count(); ++i) {
        Cell* target = links.At(i);
        CellLocation location;
        if (!target || !target->Locate(location) || !location.Export(c)) return false;
    }
    return true;
}

bool ImportLinks(MemBlockCursor& c, Tag& tag, LocationCollector* collector) {
    int32_t count = 0;
    // A location takes at least 28 bytes.
    if (!c.ReadValue(count) || count > kMaxLinks || !CountFits(c, count, 28)) return false;
    for (int32_t i = 0; i < count; ++i) {
        auto* location = new CellLocation;
        if (!location->Import(c)) {
            delete location;
            return false;
        }
        if (!collector) {
            delete location;
            continue;
        }
        collector->Add(location, tag.SelfSlave());
    }
    return true;
}

}  // namespace

// ---- tag bodies ------------------------------------------------------------

bool Tag::Export(MemBlockCursor& c, int flag) {
    if (!WriteString(c, CurrentVersionText()) || !value || !value->Export(c, 0)) return false;
    if (links) links->RemoveDead();
    const uint8_t withLinks = (!(flags & kMirrorsSource) && links && links->Count() > 0 && flag != 0) ? 1 : 0;
    if (!c.WriteValue(withLinks)) return false;
    return !withLinks || ExportLinks(c, *links);
}

bool Tag::Import(MemBlockCursor& c, double, LocationCollector* collector) {
    thread_local WString versionText;  // reused: one text per tag body
    const bool textOk = ReadString(c, versionText);
    const double v = ParseVersion(versionText);
    const bool valueOk = textOk && value && value->Import(c, v, collector);
    uint8_t withLinks = 0;
    const bool flagOk = valueOk && c.ReadValue(withLinks);
    if (!flagOk) return false;
    MarkChanged();
    return withLinks == 0 || ImportLinks(c, *this, collector);
}

// ---- export ----------------------------------------------------------------

int32_t HCell::ExportedTagCount() const {
    int32_t n = 0;
    const Container<BTag>& list = Tags();
    for (int32_t i = 0; i < list.count; ++i)
        if (list[i] && list[i]->IsExported()) ++n;
    return n;
}

bool HCell::Export(MemBlockCursor& c, int flag) {
    Container<BTag>& list = Tags();
    if (!c.WriteValue(ExportedTagCount())) return false;
    for (int32_t i = 0; i < list.count; ++i) {
        Tag* tag = list[i] ? list[i]->AsTag() : nullptr;
        if (!tag || !tag->IsExported()) continue;
        const CellKey valueKey = tag->ValueKey();
        if (!WriteString(c, tag->name) || !c.WriteValue(valueKey)) return false;
        // The body's size goes ahead of it and is filled in afterwards.
        const int64_t sizeAt = c.Offset();
        if (!c.WriteValue(uint64_t(0)) || !tag->Export(c, flag)) return false;
        const int64_t end = c.Offset();
        const uint64_t size = uint64_t(end - sizeAt - 8);
        if (!c.Seek(sizeAt) || !c.WriteValue(size) || !c.Seek(end)) return false;
    }
    return true;
}

// ---- import ----------------------------------------------------------------

namespace {

struct TagHeader {
    WString name;
    CellKey valueKey = 0;
    uint64_t size = 0;
    int64_t bodyAt = 0;
};

bool ReadHeader(MemBlockCursor& c, TagHeader& h) {
    if (!ReadString(c, h.name) || !c.ReadValue(h.valueKey) || !c.ReadValue(h.size)) return false;
    h.bodyAt = c.Offset();
    return h.size <= uint64_t(c.Remaining());
}

bool SkipBody(MemBlockCursor& c, const TagHeader& h) {
    const int64_t end = h.bodyAt + int64_t(h.size);
    return c.Offset() == end || c.Seek(end);
}

}  // namespace

bool HCell::Import(MemBlockCursor& c, double version, LocationCollector* collector) {
    EnsureTags();
    const WChar* name = ClassName();
    if (version > kLayoutVersion) {
        LogCellDiagnostic(kError, name, kLayoutVersion, nullptr, nullptr, WTXT("Cannot import newer version: %.4f!"),
                             version);
        return false;
    }
    int32_t count = 0;
    if (!c.ReadValue(count) || count < 0) {
        LogCellDiagnostic(kError, name, version, nullptr, nullptr, WTXT("Invalid tags count!"));
        return false;
    }
    const bool ok = version == kLayoutVersion ? ImportCurrentLayout(c, count, collector)
                                              : ImportOlderLayout(c, version, count, collector);
    if (!ok) return false;
    MarkChanged();
    return true;
}

bool HCell::ImportCurrentLayout(MemBlockCursor& c, int32_t count, LocationCollector* collector) {
    const WChar* name = ClassName();
    if (count != ExportedTagCount()) {
        LogCellDiagnostic(kError, name, kLayoutVersion, nullptr, nullptr,
                             WTXT("Imported tags count doesn't match with HCell!"));
        return false;
    }
    TagHeader h;  // reused from tag to tag
    for (int32_t i = 0; i < tags.count; ++i) {
        Tag* tag = tags[i] ? tags[i]->AsTag() : nullptr;
        if (!tag || !tag->IsExported()) continue;
        if (!ReadHeader(c, h)) {
            LogCellDiagnostic(kError, name, kLayoutVersion, nullptr, nullptr, WTXT("Header import failed!"));
            return false;
        }
        const WChar* valueName = tag->Value() ? tag->Value()->ClassName() : WTXT("");
        if (h.valueKey == tag->ValueKey() && h.name == tag->name) {
            if (!tag->Import(c, kLayoutVersion, collector) || !SkipBody(c, h)) {
                LogCellDiagnostic(kError, name, kLayoutVersion, valueName, tag->name.CStr(), WTXT("Tag import failed!"));
                return false;
            }
        } else {
            LogCellDiagnostic(kWarning, name, kLayoutVersion, valueName, tag->name.CStr(),
                                 WTXT("Tag skipped, expected key is %llx but imported key is %llx and name '%s'!"),
                                 tag->ValueKey(), h.valueKey, h.name);
            if (!SkipBody(c, h)) return false;
        }
    }
    return true;
}

bool HCell::ImportOlderLayout(MemBlockCursor& c, double version, int32_t count, LocationCollector* collector) {
    const WChar* name = ClassName();
    const double anyDifference = std::numeric_limits<double>::infinity();
    for (int32_t entry = 0; entry < count; ++entry) {
        TagHeader h;
        if (!ReadHeader(c, h)) {
            LogCellDiagnostic(kError, name, version, nullptr, nullptr, WTXT("Import of tag header failed!"));
            return false;
        }
        const int32_t legacyIndex = FindLegacyTagTyped(h.name.CStr(), h.valueKey, version, anyDifference);
        if (legacyIndex < 0) {
            int32_t match = -1;
            for (int32_t i = 0; i < tags.count && match < 0; ++i) {
                Tag* t = CellAs<Tag>(static_cast<Cell*>(tags[i]));
                if (t && t->IsExported() && t->ValueKey() == h.valueKey && t->name == h.name) match = i;
            }
            if (match < 0) {
                LogCellDiagnostic(kWarning, name, version, kDisabled, h.name.CStr(),
                                     WTXT("No matching tag or legacy tag in new version, tag was skipped!"));
            } else {
                ValueTagAt(match)->Import(c, version, collector);
            }
            if (!SkipBody(c, h)) return false;
            continue;
        }
        SObject<LegacyTag> legacy;
        if (!LegacyTagAt(legacyIndex, legacy) || !legacy) {
            if (!SkipBody(c, h)) return false;
            continue;
        }
        legacy->owner = this;
        const bool bodyOk = legacy->Import(c, version, nullptr);
        if (!SkipBody(c, h)) return false;
        if (!bodyOk) continue;
        TagPathTarget target;
        const bool resolved = !legacy->path.IsEmpty() &&
                              legacy->path.Resolve(this, legacy->targetVersion, target) && target.cell &&
                              target.tagIndex >= 0;
        if (!resolved) {
            LogCellDiagnostic(kError, name, version, kDisabled, h.name.CStr(),
                                 WTXT("Legacy tag '%s' version %.4f points to invalid path!"), legacy->name,
                                 legacy->version);
            return false;
        }
        BTag* found = target.cell->TagAt(target.tagIndex);
        Tag* destination = found && found->IsExported() ? CellAs<Tag>(static_cast<Cell*>(found)) : nullptr;
        if (!destination || !destination->Value() || !legacy->Value()) {
            LogCellDiagnostic(kError, name, version, kDisabled, h.name.CStr(),
                                 WTXT("Legacy tag '%s' version %.4f must point to Tag or LegacyTag!"), legacy->name,
                                 legacy->version);
            continue;
        }
        destination->Value()->Receive(*legacy->Value());
        destination->MarkChanged();
    }
    return true;
}
