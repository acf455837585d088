// Path: a wide string used as a Windows-style file path (backslash
// separators). Folder paths are normalised before they are joined onto.
#pragma once

#include "core/dynamic_string.h"

template <class Ch> class Path;

template <>
class Path<WChar> : public DynamicString<WChar> {
public:
    using DynamicString<WChar>::DynamicString;
    using DynamicString<WChar>::operator=;
    Path() = default;
    Path(const DynamicString<WChar>& s) : DynamicString<WChar>(s) {}

    // Strips every trailing backslash while the path is longer than one
    // character ("C:\a\\" becomes "C:\a"; "\" stays).
    void Normalize();

    // Appends a component with exactly one backslash between the two parts;
    // an empty path simply takes the component.
    void Join(const WChar* component);
    void Join(const DynamicString<WChar>& component) { Join(component.CStr()); }

    // True when a '.' occurs after the last backslash (or anywhere when there
    // is no backslash).
    bool HasExtension() const;

    // Appends ".ext" when the path is empty, ends in a separator or has no
    // extension. ext is given without the dot.
    void EnsureExtension(const WChar* ext);
};

using WPath = Path<WChar>;
