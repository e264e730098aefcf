#include <TbBindings/create_binding.h>
#include <TbBindings/property.h>

#include <glm/glm.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <utility>
#include <vector>

using TbBindings::Property;

namespace {

constexpr const char *readOnlyMessage =
        "Cannot set value on a read-only property. This property likely holds the result of a binding expression.";

template<typename T>
struct ChangeLog {
    explicit ChangeLog(Property<T> &property)
    {
        property.valueAboutToChange().connect([this, &property](const T &oldValue, const T &newValue) {
            events.push_back("about");
            olds.push_back(oldValue);
            news.push_back(newValue);
            valuesSeenBeforeChange.push_back(property.get());
        });
        property.valueChanged().connect([this](const T &) { events.push_back("changed"); });
    }
    std::vector<std::string> events;
    std::vector<T> olds, news, valuesSeenBeforeChange;
};

} // namespace

TEST(Property, ConstructionEmitsNothingAndSettingAnEqualValueEmitsNothing)
{
    Property<int> property(3);
    ChangeLog<int> log(property);
    property = 3;
    EXPECT_TRUE(log.events.empty());
    EXPECT_EQ(property.get(), 3);
    EXPECT_EQ(property(), 3);
}

TEST(Property, MatrixChangeEmitsAboutToChangeWithOldValueThenChanged)
{
    Property<glm::mat4> property(glm::mat4(1.0f));
    ChangeLog<glm::mat4> log(property);
    glm::mat4 changed(1.0f);
    changed[2][3] = 5.0f;
    property = changed;

    EXPECT_EQ(log.events, (std::vector<std::string>{ "about", "changed" }));
    EXPECT_EQ(log.olds.at(0), glm::mat4(1.0f));
    EXPECT_EQ(log.news.at(0), changed);
    EXPECT_EQ(log.valuesSeenBeforeChange.at(0), glm::mat4(1.0f)) << "inside valueAboutToChange the value is still old";
    EXPECT_EQ(property.get(), changed);
}

TEST(Property, NaNAlwaysCountsAsAChange)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    Property<float> scalar(nan);
    ChangeLog<float> scalarLog(scalar);
    scalar = nan;
    EXPECT_EQ(scalarLog.events.size(), 2u);

    Property<glm::vec3> vector(glm::vec3(0.0f, nan, 0.0f));
    ChangeLog<glm::vec3> vectorLog(vector);
    vector = glm::vec3(0.0f, nan, 0.0f);
    EXPECT_EQ(vectorLog.events.size(), 2u);
}

TEST(Property, BoundPropertyRefusesWritesWithTheExactMessageAndKeepsItsValue)
{
    Property<int> source(1);
    Property<int> bound(TbBindings::createBinding(source));
    ChangeLog<int> log(bound);
    EXPECT_TRUE(bound.isReadOnly());
    try {
        bound = 7;
        FAIL() << "expected ReadOnlyProperty";
    } catch (const TbBindings::ReadOnlyProperty &error) {
        EXPECT_STREQ(error.what(), readOnlyMessage);
    }
    EXPECT_EQ(bound.get(), 1);
    EXPECT_TRUE(log.events.empty());
    static_assert(std::is_base_of_v<std::runtime_error, TbBindings::ReadOnlyProperty>);
}

TEST(Property, DestroyedIsEmittedFirstOnDestruction)
{
    bool destroyed = false;
    {
        Property<std::string> property("x");
        property.destroyed().connect([&] {
            destroyed = true;
            EXPECT_EQ(property.get(), "x") << "the value is still there when destroyed() is emitted";
        });
    }
    EXPECT_TRUE(destroyed);
}

TEST(Property, MoveConstructionCarriesValueSignalsAndAnnouncesTheDestination)
{
    Property<int> source(4);
    int changes = 0;
    source.valueChanged().connect([&](const int &) { ++changes; });
    Property<int> *announced = nullptr;
    source.moved().connect([&](Property<int> &destination) { announced = &destination; });

    Property<int> destination(std::move(source));
    EXPECT_EQ(announced, &destination);
    EXPECT_EQ(destination.get(), 4);
    destination = 5;
    EXPECT_EQ(changes, 1) << "connections moved with the signals";
}

TEST(Property, BindingFollowsAMovedSourceProperty)
{
    Property<int> source(2);
    Property<int> doubled(TbBindings::createBinding([](int v) { return 2 * v; }, source));
    Property<int> movedSource(std::move(source));
    movedSource = 10;
    EXPECT_EQ(doubled.get(), 20);
}

TEST(Property, MovedBoundPropertyKeepsReceivingUpdates)
{
    Property<int> source(1);
    Property<int> bound(TbBindings::createBinding(source));
    Property<int> movedBound(std::move(bound));
    source = 9;
    EXPECT_EQ(movedBound.get(), 9) << "the updater's update function was re-aimed at the destination";
    EXPECT_TRUE(movedBound.isReadOnly());
}

TEST(Property, MoveAssignmentDetachesExpressionsThatReadTheOverwrittenProperty)
{
    Property<int> first(1);
    Property<int> second(2);
    Property<int> other(0);
    Property<int> sum(TbBindings::createBinding([](int a, int b) { return a + b; }, first, other));
    first = std::move(second);
    EXPECT_EQ(first.get(), 2);
    EXPECT_THROW(other = 5, TbBindings::PropertyDestroyedError)
            << "the value the expression read was replaced, not moved";
}
