#include <Orvane/assets/render_state_set.h>

namespace Orvane {

namespace {

void combine(uint64_t &seed, uint64_t value)
{
    seed ^= value + 0x9e3779b9 + (seed << 6) + (seed >> 2);
}

} // namespace

uint64_t RenderStateSet::hash() const
{
    uint64_t seed = 0;
    for (const auto &entry : m_states) {
        combine(seed, entry.type.hash_code());
        combine(seed, entry.state->hash());
    }
    return seed;
}

bool RenderStateSet::operator==(const RenderStateSet &other) const
{
    if (m_states.size() != other.m_states.size())
        return false;
    for (std::size_t i = 0; i < m_states.size(); ++i) {
        const Entry &mine = m_states[i];
        const Entry &theirs = other.m_states[i];
        if (mine.type != theirs.type)
            return false;
        if (mine.state != theirs.state && !mine.state->equals(*theirs.state))
            return false;
    }
    return true;
}

} // namespace Orvane
