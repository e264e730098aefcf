#include <TbBindings/binding.h>
#include <TbBindings/create_binding.h>

#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>
#include <glm/gtx/transform.hpp>
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>

using TbBindings::Property;

namespace {

glm::mat4 composeTrs(const glm::vec3 &translation, const glm::quat &rotation, const glm::vec3 &scale)
{
    return glm::translate(translation) * glm::mat4_cast(rotation) * glm::scale(scale);
}

} // namespace

TEST(Binding, ImmediateBindingUpdatesBeforeTheSourceAssignmentReturns)
{
    Property<glm::vec3> translation(glm::vec3(0.0f));
    Property<glm::quat> rotation(glm::quat(1.0f, 0.0f, 0.0f, 0.0f));
    Property<glm::vec3> scale(glm::vec3(1.0f));
    Property<glm::mat4> matrix(TbBindings::createBinding(composeTrs, translation, rotation, scale));
    EXPECT_EQ(matrix.get(), glm::mat4(1.0f));

    glm::mat4 seenInSlot(0.0f);
    translation.valueChanged().connect([&](const glm::vec3 &) { seenInSlot = matrix.get(); });
    translation = glm::vec3(1.0f, 2.0f, 3.0f);
    EXPECT_EQ(matrix.get(), glm::translate(glm::vec3(1.0f, 2.0f, 3.0f)));
    EXPECT_EQ(seenInSlot, matrix.get()) << "the binding connected first, so it ran before this slot";
}

TEST(Binding, UnchangedResultEmitsNothingOnTheBoundProperty)
{
    Property<int> value(3);
    Property<bool> positive(TbBindings::createBinding([](int v) { return v > 0; }, value));
    int changes = 0;
    positive.valueChanged().connect([&](const bool &) { ++changes; });
    value = 4;
    EXPECT_EQ(changes, 0);
    value = -1;
    EXPECT_EQ(changes, 1);
    EXPECT_FALSE(positive.get());
}

TEST(Binding, EachChangeOfADifferentSourceTriggersOneEvaluation)
{
    Property<int> a(1);
    Property<int> b(2);
    int evaluations = 0;
    Property<int> sum(TbBindings::createBinding(
            [&](int x, int y) {
                ++evaluations;
                return x + y;
            },
            a, b));
    EXPECT_EQ(evaluations, 1);
    a = 10;
    b = 20;
    EXPECT_EQ(evaluations, 3);
    EXPECT_EQ(sum.get(), 30);
}

TEST(Binding, DestroyedSourceMakesTheNextEvaluationFailWithTheExactMessage)
{
    Property<int> kept(1);
    auto doomed = std::make_unique<Property<int>>(2);
    Property<int> sum(TbBindings::createBinding([](int x, int y) { return x + y; }, kept, *doomed));
    doomed.reset();
    try {
        kept = 5;
        FAIL() << "expected PropertyDestroyedError";
    } catch (const TbBindings::PropertyDestroyedError &error) {
        EXPECT_STREQ(error.what(), "The Property this node refers to no longer exists!");
    }
    EXPECT_EQ(sum.get(), 3) << "the bound property keeps its last good value";
}

TEST(Binding, FailedEvaluationDoesNotSilenceLaterChanges)
{
    Property<int> dividend(8);
    Property<int> divisor(2);
    Property<int> quotient(TbBindings::createBinding(
            [](int x, int y) {
                if (y == 0)
                    throw std::domain_error("division by zero");
                return x / y;
            },
            dividend, divisor));
    EXPECT_THROW(divisor = 0, std::domain_error);
    EXPECT_EQ(quotient.get(), 4) << "the bound property keeps its last good value";
    divisor = 4;
    EXPECT_EQ(quotient.get(), 2);
    dividend = 16;
    EXPECT_EQ(quotient.get(), 4);
}

TEST(Binding, FailedEvaluationIsNotTakenForAResult)
{
    Property<int> value(-1);
    auto updater = TbBindings::createBinding(
            [](int v) {
                if (v < 0)
                    throw std::domain_error("negative");
                return v;
            },
            value);
    EXPECT_THROW(updater->get(), std::domain_error);
    EXPECT_THROW(updater->get(), std::domain_error) << "asked again without a change, it computes again";
}

TEST(Binding, EveryChangeAfterASourceWasDestroyedFailsAgain)
{
    // Both argument positions, so the outcome does not hang on the order the children are evaluated in.
    for (const bool doomedFirst : { true, false }) {
        SCOPED_TRACE(doomedFirst ? "destroyed source first" : "destroyed source second");
        Property<int> kept(1);
        auto doomed = std::make_unique<Property<int>>(2);
        Property<int> sum(doomedFirst ? TbBindings::createBinding([](int x, int y) { return x + y; }, *doomed, kept)
                                      : TbBindings::createBinding([](int x, int y) { return x + y; }, kept, *doomed));
        doomed.reset();
        EXPECT_THROW(kept = 5, TbBindings::PropertyDestroyedError);
        EXPECT_THROW(kept = 6, TbBindings::PropertyDestroyedError);
        EXPECT_EQ(sum.get(), 3);
    }
}

TEST(Binding, DestroyingTheBoundPropertyDisconnectsFromItsSources)
{
    Property<int> source(1);
    {
        Property<int> bound(TbBindings::createBinding(source));
    }
    source = 2; // must not reach the destroyed binding
    int calls = 0;
    source.valueChanged().connect([&](const int &) { ++calls; });
    source = 3;
    EXPECT_EQ(calls, 1);
}

TEST(Binding, AssigningAnotherUpdaterReplacesTheDriver)
{
    Property<int> first(1);
    Property<int> second(100);
    Property<int> bound(TbBindings::createBinding(first));
    bound = TbBindings::createBinding(second);
    EXPECT_EQ(bound.get(), 100);
    first = 2;
    EXPECT_EQ(bound.get(), 100);
    second = 200;
    EXPECT_EQ(bound.get(), 200);
}

TEST(BindingEvaluator, IdsStartAtOneAndAreNeverReused)
{
    TbBindings::BindingEvaluator evaluator;
    Property<int> source(1);
    auto makeBinding = [&] {
        return std::make_unique<TbBindings::Binding<int>>(
                std::make_unique<TbBindings::Private::PropertyNode<int>>(source), evaluator);
    };
    auto first = makeBinding();
    auto second = makeBinding();
    EXPECT_EQ(first->id(), 1);
    EXPECT_EQ(second->id(), 2);
    first.reset();
    EXPECT_EQ(makeBinding()->id(), 3);
}

TEST(BindingEvaluator, ManualBindingWaitsForItsEvaluator)
{
    TbBindings::BindingEvaluator evaluator;
    Property<int> source(1);
    Property<int> target(std::unique_ptr<TbBindings::PropertyUpdater<int>>(std::make_unique<TbBindings::Binding<int>>(
            std::make_unique<TbBindings::Private::PropertyNode<int>>(source), evaluator)));
    EXPECT_EQ(target.get(), 1);
    source = 2;
    EXPECT_EQ(target.get(), 1) << "a manual binding does not evaluate on change";
    evaluator.evaluateAll();
    EXPECT_EQ(target.get(), 2);
}

TEST(ImmediateBindingEvaluator, InstancesShareOneProcessWideRegistry)
{
    Property<int> source(1);
    Property<int> a(TbBindings::createBinding(source));
    Property<int> b(TbBindings::createBinding(source));
    // Each createBinding registers with a copy of the same evaluator, so ids keep counting up.
    auto idOf = [](auto &updater) {
        return dynamic_cast<TbBindings::Binding<int, TbBindings::BindingEvaluator> &>(*updater).id();
    };
    auto c = TbBindings::createBinding(source);
    auto d = TbBindings::createBinding(source);
    EXPECT_EQ(idOf(d), idOf(c) + 1);
}
