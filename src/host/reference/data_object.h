#pragma once
// The data a drag carries, as drag-and-drop handlers read it: the `Data` argument of
// OLEDragOver, OLEDragDrop, OLEStartDrag and OLESetData. It holds text (format 1) and a list
// of file names (format 15), each present or not:
//
//   GetFormat(Format)        whether the data holds that format
//   GetData(Format)          the text for format 1; any other format it does not hold is
//                            "Invalid procedure call" (5); the files are read through Files
//   SetData([Value], [Format])  stores text (format 1, the default); Value omitted marks the
//                            format as offered without data yet
//   Clear                    forgets everything
//   Files                    the file names: Count, Item(i) from 1 (9 outside), Add, Clear
//
// A host fills it from what the window system hands over (a drop from another application)
// or from the control a drag starts on, and turns it back into the window system's form.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/reference/reference_only.h"
#include "platform/runtime/automation_object.h"

namespace ov::host {

inline constexpr std::int16_t kDataFormatText = 1;   // vbCFText
inline constexpr std::int16_t kDataFormatFiles = 15;  // vbCFFiles

// The files of a data object.
class DataObjectFiles : public AutomationObject {
public:
    static const ClassInfo& StaticInfo();
    const ClassInfo& Info() const override { return StaticInfo(); }

    const std::vector<std::string>& names() const { return names_; }
    void Add(std::string name) { names_.push_back(std::move(name)); }
    void Clear() { names_.clear(); }

private:
    std::vector<std::string> names_;
};

class DataObject : public AutomationObject {
public:
    DataObject();
    static const ClassInfo& StaticInfo();
    const ClassInfo& Info() const override { return StaticInfo(); }

    bool HasFormat(std::int16_t format) const;
    // The text, when the data holds text (an offered but unset text reads as "").
    const std::optional<std::string>& text() const { return text_; }
    void SetText(std::string text) { text_ = std::move(text); }
    DataObjectFiles& files() { return *files_; }
    const DataObjectFiles& files() const { return *files_; }
    void Clear();

private:
    Variant GetData(std::int16_t format) const;
    void SetData(const Variant& value, const Variant& format);

    std::optional<std::string> text_;
    std::shared_ptr<DataObjectFiles> files_;
};

}  // namespace ov::host
