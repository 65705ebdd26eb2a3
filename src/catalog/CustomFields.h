#pragma once
// Extra fields of a catalogue: their definitions (one list per catalogue) and
// their values (one list per entry). Both lists are keyed by tag, sorted and
// compared without regard to letter case; adding an existing tag keeps the
// existing item.
#include "catalog/FieldValues.h"

#include <QString>
#include <QStringList>
#include <map>
#include <memory>
#include <vector>

namespace filmarch {

class TMovieList;

// Order of tags: letter case ignored.
struct TagLess {
    bool operator()(const QString& a, const QString& b) const
    {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    }
};

class TCustomFieldProperties {
public:
    explicit TCustomFieldProperties(const QString& Tag) : FieldTag(Tag), FieldName(Tag) {}
    bool operator==(const TCustomFieldProperties&) const = default;

    QString FieldTag;
    QString OldFieldTag;
    QString FieldName;
    QString FieldExt;
    TFieldType FieldType = ftString;
    QStringList ListValues;
    bool ListAutoAdd = false;
    bool ListSort = false;
    bool ListAutoComplete = false;
    bool ListUseCatalogValues = false;
    QString DefaultValue;
    QString MediaInfo;
    bool MultiValues = false;
    QChar MultiValuesSep = u',';
    bool MultiValuesRmP = false;
    bool MultiValuesPatch = false;
    bool ExcludedInScripts = false;
    QString GUIProperties;
    QString OtherProperties;
};

class TCustomFieldsProperties {
public:
    explicit TCustomFieldsProperties(TMovieList* list = nullptr) : MovieList(list) {}
    TCustomFieldsProperties(TCustomFieldsProperties&&) = default;
    TCustomFieldsProperties& operator=(TCustomFieldsProperties&&) = default;

    int Count() const { return int(items.size()); }
    // The definition at `idx` in tag order.
    TCustomFieldProperties& GetItem(int idx) { return *items.at(idx); }
    const TCustomFieldProperties& GetItem(int idx) const { return *items.at(idx); }

    // The definition of `Tag` (letter case ignored), or null.
    TCustomFieldProperties* GetField(const QString& Tag) const;
    // The definition of `Tag`, created with its initial values when missing.
    TCustomFieldProperties& AddField(const QString& Tag, bool SpecialAdd = false);
    void Clear() { items.clear(); }

    TMovieList* MovieList;
    QString ColumnSettings;
    QString GUIProperties;
    QString OtherProperties;

private:
    std::vector<std::unique_ptr<TCustomFieldProperties>> items; // sorted by tag
};

class TCustomFields {
public:
    explicit TCustomFields(TCustomFieldsProperties* properties = nullptr) : Properties(properties) {}

    // Stores the value normalised for the field's type; an empty result removes it.
    void SetFieldValue(const QString& Tag, const QString& Value, bool AddMissingField = false);
    // The stored value normalised for the field's type; empty without a definition.
    QString GetFieldValue(const QString& Tag, bool ReturnEmptyIfFalse = false, bool LocalFormatSettings = false) const;
    // False when the tag holds no value.
    bool DeleteFieldValue(const QString& Tag);
    void Clear() { values.clear(); }

    int Count() const { return int(values.size()); }
    // Tag -> stored value, in tag order.
    const std::map<QString, QString, TagLess>& Values() const { return values; }

    TCustomFieldsProperties* Properties; // the catalogue's definitions, not owned

private:
    std::map<QString, QString, TagLess> values;
};

} // namespace filmarch
