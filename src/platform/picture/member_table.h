#pragma once
// A late-bound object's members in one table: name, dispatch id, getter, setter or method.
// GetIDOfName and Invoke of an IDispatch implementation then reduce to a lookup here.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/runtime/automation_error.h"
#include "platform/runtime/dispatch.h"

namespace ov {

template <typename Object>
class MemberTable {
public:
    using Getter = std::function<Variant(Object&, std::vector<Variant>& args)>;
    using Setter = std::function<void(Object&, const Variant& value, std::vector<Variant>& args)>;

    struct Member {
        std::string name;
        std::int32_t dispid;
        Getter get;     // property read, or the method's body when `is_method`
        Setter put;     // null: read-only
        bool is_method = false;
    };

    MemberTable& Property(std::string name, std::int32_t dispid, Getter get, Setter put = nullptr) {
        members_.push_back(Member{std::move(name), dispid, std::move(get), std::move(put), false});
        return *this;
    }
    MemberTable& Method(std::string name, std::int32_t dispid, Getter body) {
        members_.push_back(Member{std::move(name), dispid, std::move(body), nullptr, true});
        return *this;
    }

    std::int32_t IdOf(std::string_view name) const {
        for (const Member& member : members_)
            if (EqualsIgnoringCase(member.name, name)) return member.dispid;
        return kDispidUnknown;
    }

    // Puts take their value as the last argument; the ones before it are the property's own.
    Variant Invoke(Object& object, std::int32_t dispid, InvokeKind kind, std::vector<Variant>& args) const {
        const Member* member = Find(dispid);
        if (!member) throw AutomationError(error::kObjectDoesntSupport);
        switch (kind) {
            case InvokeKind::Method:
            case InvokeKind::PropertyGet:
                if (!member->get) throw AutomationError(error::kObjectDoesntSupport);
                return member->get(object, args);
            case InvokeKind::PropertyPut:
            case InvokeKind::PropertyPutRef: {
                if (member->is_method) throw AutomationError(error::kObjectDoesntSupport);
                if (!member->put) throw AutomationError(error::kPropertyReadOnly, "Property is read-only", "");
                if (args.empty()) throw AutomationError(error::kWrongArgumentCount);
                const Variant value = args.back();
                std::vector<Variant> indices(args.begin(), args.end() - 1);
                member->put(object, value, indices);
                return Variant();
            }
        }
        throw AutomationError(error::kObjectDoesntSupport);
    }

    const std::vector<Member>& members() const { return members_; }

private:
    const Member* Find(std::int32_t dispid) const {
        for (const Member& member : members_)
            if (member.dispid == dispid) return &member;
        return nullptr;
    }

    static bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
        if (a.size() != b.size()) return false;
        for (std::size_t i = 0; i < a.size(); ++i) {
            const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
            if (lower(a[i]) != lower(b[i])) return false;
        }
        return true;
    }

    std::vector<Member> members_;
};

}  // namespace ov
