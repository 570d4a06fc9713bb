#pragma once

// The statistics engine of velbrin keeps no numbers of its own: the count, the running sums, the
// list of entered texts and the results all live as texts of the main window's fields. This header
// names those fields and declares the one way the engine reaches them. Standard C++ only.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace velbrin::stats {

// The nine fields, named after the controls that hold them.
enum class Field {
    Text1, // the next value, as typed
    text2, // count of accepted values
    s, // running sum (hidden label)
    ss, // running sum of squares (hidden label)
    v, // every entered text, each followed by ","
    Text3, // mean
    Text4, // variance
    u, // standard deviation
    zt, // status line
};

inline constexpr std::size_t fieldCount = 9;

inline constexpr std::array<Field, fieldCount> allFields {
    Field::Text1,
    Field::text2,
    Field::s,
    Field::ss,
    Field::v,
    Field::Text3,
    Field::Text4,
    Field::u,
    Field::zt,
};

// The control name of a field: "Text1", "text2", "s", ...
std::string_view fieldName(Field field);

// The text a field holds when the main window opens (UTF-8).
std::string_view startupText(Field field);

// Texts the engine writes to the status line. Both use the full-width colon U+FF1A.
inline constexpr std::string_view inputErrorText = "状态栏：输入错误";
inline constexpr std::string_view neutralStatusText = "状态栏：";

// Read and write access to the fields, as UTF-8. A write takes effect at once: the next read of
// that field returns exactly the text written, whether the control is visible, enabled or not.
class FieldStore
{
public:
    virtual ~FieldStore() = default;
    virtual std::string read(Field field) const = 0;
    virtual void write(Field field, std::string_view text) = 0;
};

// Fields held in memory, starting with the start-up texts; for tests, benchmarks and fuzzing.
class MemoryFieldStore final : public FieldStore
{
public:
    MemoryFieldStore();
    std::string read(Field field) const override;
    void write(Field field, std::string_view text) override;

private:
    std::array<std::string, fieldCount> m_texts;
};

} // namespace velbrin::stats
