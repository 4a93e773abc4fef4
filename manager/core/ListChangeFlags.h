#pragma once
// One flag per list of the Error Files page: a set flag makes every edit put that list of the combined values
// into every affected record. The page sets a flag when its editor closes with a changed list and clears it
// when the editor opens again; the session clears all four at every selection step, so that a list edited
// for one selection never reaches the records of a later one.
#include <array>
#include <cstddef>

namespace qv {

class ListChangeFlags {
public:
    enum List : std::size_t { ExtList, DynExtList, ImgExts, ImgFilters, kCount };

    bool IsSet(List list) const { return m_flags[list]; }
    void Set(List list) { m_flags[list] = true; }
    void Clear(List list) { m_flags[list] = false; }
    void ClearAll() { m_flags.fill(false); }
    bool AnySet() const {
        return m_flags[ExtList] || m_flags[DynExtList] || m_flags[ImgExts] || m_flags[ImgFilters];
    }

private:
    std::array<bool, kCount> m_flags{};
};

} // namespace qv
