#include "catalog/MovieList.h"

#include <algorithm>
#include <limits>
#include <map>
#include <stdexcept>

namespace filmarch {

TMovie& TMovieList::Add()
{
    items.push_back(std::make_unique<TMovie>(&CustomFieldsProperties));
    return *items.back();
}

void TMovieList::Sort(int Field)
{
    const bool integerField = TMovie().GetIntFieldValue(Field) != -1; // -1 only for the other fields
    std::stable_sort(items.begin(), items.end(), [&](const auto& a, const auto& b) {
        if (integerField)
            return a->GetIntFieldValue(Field) < b->GetIntFieldValue(Field);
        return QString::compare(a->GetFieldValue(Field), b->GetFieldValue(Field), Qt::CaseInsensitive) < 0;
    });
}

int TMovieList::FirstFreeNumber(bool ListIsSorted)
{
    if (!ListIsSorted)
        Sort(fieldNumber);
    // Numbers below 1 (a new entry is numbered 0 until it gets its number) are
    // not in the way of any number from 1 upward.
    qint64 last = 0;
    for (const auto& movie : items) {
        if (last + 1 < movie->iNumber)
            break;
        last = std::max<qint64>(last, movie->iNumber);
    }
    return int(std::min<qint64>(last + 1, std::numeric_limits<int>::max()));
}

void TMovieList::GetValues(QStringList& AList, int Field) const
{
    std::map<QString, QString, TagLess> distinct;
    for (const auto& movie : items) {
        QString value = movie->GetFieldValue(Field);
        if (!value.isEmpty())
            distinct.try_emplace(value, value);
    }
    AList.clear();
    AList.reserve(qsizetype(distinct.size()));
    for (auto& [key, value] : distinct)
        AList.append(value);
}

void TMovieList::Delete(int idx)
{
    if (idx < 0 || size_t(idx) >= items.size())
        throw std::out_of_range("TMovieList::Delete: no such entry");
    items.erase(items.begin() + idx);
}

int TMovieList::IndexOf(const TMovie& m) const
{
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i].get() == &m)
            return int(i);
    return -1;
}

} // namespace filmarch
