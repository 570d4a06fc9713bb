#include "stats/fields.h"

namespace velbrin::stats {

namespace {

struct FieldInfo
{
    std::string_view name;
    std::string_view startup;
};

// Indexed by Field.
constexpr std::array<FieldInfo, fieldCount> fieldInfo { {
    { "Text1", "" }, { "text2", "0" }, { "s", "0" }, { "ss", "0" }, { "v", "" },
    { "Text3", "平均数" }, { "Text4", "方差" }, { "u", "标准差" },
    { "zt", "状态栏:" }, // ASCII colon at start-up; the engine writes the full-width one
} };

constexpr std::size_t indexOf(Field field)
{
    return static_cast<std::size_t>(field);
}

} // namespace

std::string_view fieldName(Field field)
{
    return fieldInfo.at(indexOf(field)).name;
}

std::string_view startupText(Field field)
{
    return fieldInfo.at(indexOf(field)).startup;
}

MemoryFieldStore::MemoryFieldStore()
{
    for (Field field : allFields)
        m_texts[indexOf(field)] = startupText(field);
}

std::string MemoryFieldStore::read(Field field) const
{
    return m_texts.at(indexOf(field));
}

void MemoryFieldStore::write(Field field, std::string_view text)
{
    m_texts.at(indexOf(field)).assign(text);
}

} // namespace velbrin::stats
