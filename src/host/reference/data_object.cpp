#include "host/reference/data_object.h"

#include "platform/runtime/automation_error.h"
#include "platform/runtime/variant.h"

namespace ov::host {

namespace {

const TypeDesc kInteger = TypeDesc::Of(VarType::Integer);

std::int16_t FormatArgument(const Variant& format) { return format.IsMissing() ? kDataFormatText : CInt(format); }

}  // namespace

const ClassInfo& DataObjectFiles::StaticInfo() {
    static const ClassInfo info =
        ClassBuilder<DataObjectFiles>("DataObjectFiles")
            .PropertyEx(
                "Count", 1, TypeDesc::Of(VarType::Long), {},
                [](DataObjectFiles& f, auto&) { return Variant::FromLong(static_cast<std::int32_t>(f.names_.size())); },
                nullptr)
            .PropertyEx(
                "Item", 0, TypeDesc::Of(VarType::String), {In("Index", TypeDesc::Of(VarType::Long))},
                [](DataObjectFiles& f, std::vector<Variant>& index) {
                    const std::int32_t i = CLng(index[0]);
                    if (i < 1 || static_cast<std::size_t>(i) > f.names_.size())
                        throw AutomationError(error::kSubscriptOutOfRange);
                    return Variant::FromString(f.names_[static_cast<std::size_t>(i - 1)]);
                },
                nullptr)
            .Method("Add", 2, {In("Filename", TypeDesc::Of(VarType::String))},
                    [](DataObjectFiles& f, std::vector<Variant>& args) {
                        f.Add(CStr(args[0]));
                        return Variant();
                    })
            .Method("Clear", 3, &DataObjectFiles::Clear)
            .Build();
    return info;
}

DataObject::DataObject() : files_(std::make_shared<DataObjectFiles>()) {}

const ClassInfo& DataObject::StaticInfo() {
    static const ClassInfo info =
        ClassBuilder<DataObject>("DataObject")
            .Method(
                "GetData", 1, {In("Format", kInteger)},
                [](DataObject& d, std::vector<Variant>& args) { return d.GetData(CInt(args[0])); },
                TypeDesc::AnyVariant())
            .Method(
                "GetFormat", 2, {In("Format", kInteger)},
                [](DataObject& d, std::vector<Variant>& args) { return Variant::FromBoolean(d.HasFormat(CInt(args[0]))); },
                TypeDesc::Of(VarType::Boolean))
            .Method("SetData", 3, {Opt("Value", TypeDesc::AnyVariant()), Opt("Format", kInteger)},
                    [](DataObject& d, std::vector<Variant>& args) {
                        d.SetData(args[0], args[1]);
                        return Variant();
                    })
            .Method("Clear", 4, &DataObject::Clear)
            .PropertyEx(
                "Files", 5, TypeDesc::Object("DataObjectFiles"), {},
                [](DataObject& d, auto&) { return Variant::FromObject(d.files_); }, nullptr)
            .Build();
    return info;
}

bool DataObject::HasFormat(std::int16_t format) const {
    if (format == kDataFormatText) return text_.has_value();
    if (format == kDataFormatFiles) return !files_->names().empty();
    return false;
}

void DataObject::Clear() {
    text_.reset();
    files_->Clear();
}

Variant DataObject::GetData(std::int16_t format) const {
    if (format == kDataFormatText && text_) return Variant::FromString(*text_);
    throw AutomationError(error::kInvalidProcedureCall);
}

void DataObject::SetData(const Variant& value, const Variant& format) {
    if (FormatArgument(format) != kDataFormatText) throw AutomationError(error::kInvalidProcedureCall);
    text_ = value.IsMissing() ? std::string() : CStr(value);
}

}  // namespace ov::host
