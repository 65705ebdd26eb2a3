#include "catalog/CustomFields.h"

#include <algorithm>

namespace filmarch {
namespace {

auto lowerBound(const std::vector<std::unique_ptr<TCustomFieldProperties>>& items, const QString& tag)
{
    return std::lower_bound(
        items.begin(), items.end(), tag, [](const std::unique_ptr<TCustomFieldProperties>& item, const QString& t) {
            return TagLess()(item->FieldTag, t);
        });
}

} // namespace

TCustomFieldProperties* TCustomFieldsProperties::GetField(const QString& Tag) const
{
    const auto it = lowerBound(items, Tag);
    if (it == items.end() || TagLess()(Tag, (*it)->FieldTag))
        return nullptr;
    return it->get();
}

TCustomFieldProperties& TCustomFieldsProperties::AddField(const QString& Tag, bool SpecialAdd)
{
    const auto it = lowerBound(items, Tag);
    if (it != items.end() && !TagLess()(Tag, (*it)->FieldTag))
        return **it;
    auto field = std::make_unique<TCustomFieldProperties>(Tag);
    if (SpecialAdd)
        field->OldFieldTag = QStringLiteral("#");
    return **items.insert(it, std::move(field));
}

void TCustomFields::SetFieldValue(const QString& Tag, const QString& Value, bool AddMissingField)
{
    if (!Properties)
        return;
    TCustomFieldProperties* field = Properties->GetField(Tag);
    if (!field) {
        if (!AddMissingField)
            return;
        field = &Properties->AddField(Tag, false);
    }
    const QString v = ConvertFieldValue(Value, field->FieldType, false, false, true);
    if (v.isEmpty()) {
        DeleteFieldValue(Tag);
        return;
    }
    const auto [it, added] = values.try_emplace(Tag, v);
    if (!added)
        it->second = v;
}

QString TCustomFields::GetFieldValue(const QString& Tag, bool ReturnEmptyIfFalse, bool LocalFormatSettings) const
{
    const TCustomFieldProperties* field = Properties ? Properties->GetField(Tag) : nullptr;
    if (!field)
        return QString();
    const auto it = values.find(Tag);
    const QString stored = it == values.end() ? QString() : it->second;
    return ConvertFieldValue(stored, field->FieldType, LocalFormatSettings, false, ReturnEmptyIfFalse);
}

bool TCustomFields::DeleteFieldValue(const QString& Tag)
{
    return values.erase(Tag) > 0;
}

} // namespace filmarch
