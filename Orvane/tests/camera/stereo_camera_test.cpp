#include <Orvane/camera/camera_lens.h>
#include <Orvane/camera/stereo_camera.h>
#include <Orvane/core/aspect_engine.h>
#include <Orvane/spatial/spatial_aspect.h>
#include <Orvane/spatial/transform.h>

#include <gtest/gtest.h>

#include <glm/gtc/matrix_transform.hpp>

#include <cmath>

using namespace Orvane;

namespace {

void expectMatrixNear(const glm::mat4 &actual, const glm::mat4 &expected)
{
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            EXPECT_NEAR(actual[c][r], expected[c][r], 1e-5f) << "column " << c << ", row " << r;
}

// A camera at the origin looking down -Z with +Y up, with the given eye distance and convergence plane.
void aimDownMinusZ(StereoCamera &camera, float interocular, float convergence)
{
    camera.convergencePlaneDistance = convergence;
    camera.interocularDistance = interocular;
    camera.position = glm::vec3(0.0f);
    camera.viewDirection = glm::vec3(0, 0, -1);
    camera.upVector = glm::vec3(0, 1, 0);
    camera.updateViewMatrices();
}

} // namespace

TEST(StereoCamera, HasItsOwnLensAndTransform)
{
    StereoCamera camera;
    ASSERT_NE(camera.lens(), nullptr);
    EXPECT_EQ(camera.lens(), camera.component<CameraLens>());
    ASSERT_NE(camera.transform(), nullptr);
    EXPECT_EQ(camera.component<Transform>(), camera.transform());
    EXPECT_TRUE(camera.isStereo());
    EXPECT_FLOAT_EQ(camera.convergencePlaneDistance.get(), 0.5f);
    EXPECT_FLOAT_EQ(camera.interocularDistance.get(), 0.0f);
    EXPECT_TRUE(camera.shearEnabled.get());
}

TEST(StereoCamera, EyesAreShiftedAndShearedTowardsTheConvergencePlane)
{
    StereoCamera camera;
    aimDownMinusZ(camera, 0.064f, 2.0f);

    // Left eye on the left, at (-0.032, 0, 0): translation +0.032, shear entry +0.016.
    glm::mat4 left(1.0f);
    left[2][0] = 0.016f;
    left[3][0] = 0.032f;
    expectMatrixNear(camera.leftEyeViewMatrix.get(), left);
    glm::mat4 right(1.0f);
    right[2][0] = -0.016f;
    right[3][0] = -0.032f;
    expectMatrixNear(camera.rightEyeViewMatrix.get(), right);
    expectMatrixNear(camera.centerViewMatrix.get(), glm::mat4(1.0f));

    // A point on the convergence plane lands at the same place for both eyes.
    const glm::vec4 onPlane(0.3f, 0.1f, -2.0f, 1.0f);
    const glm::vec4 seenLeft = camera.leftEyeViewMatrix.get() * onPlane;
    const glm::vec4 seenRight = camera.rightEyeViewMatrix.get() * onPlane;
    EXPECT_NEAR(seenLeft.x, seenRight.x, 1e-6f);
}

TEST(StereoCamera, WithoutEyeDistanceBothEyesSeeTheCentreView)
{
    StereoCamera camera;
    camera.position = glm::vec3(1, 2, 3);
    camera.viewDirection = glm::vec3(0.3f, -0.2f, -1.0f);
    camera.upVector = glm::vec3(0, 1, 0);
    camera.updateViewMatrices();
    EXPECT_EQ(camera.leftEyeViewMatrix.get(), camera.centerViewMatrix.get());
    EXPECT_EQ(camera.rightEyeViewMatrix.get(), camera.centerViewMatrix.get());
    expectMatrixNear(camera.centerViewMatrix.get(),
                     glm::lookAtRH(glm::vec3(1, 2, 3), glm::vec3(1.3f, 1.8f, 2.0f), glm::vec3(0, 1, 0)));
}

TEST(StereoCamera, WithoutShearTheEyesArePlainLookAtViews)
{
    StereoCamera camera;
    camera.shearEnabled = false;
    // A zero convergence distance does not matter without shear.
    aimDownMinusZ(camera, 0.064f, 0.0f);
    expectMatrixNear(camera.leftEyeViewMatrix.get(), glm::translate(glm::mat4(1.0f), glm::vec3(0.032f, 0, 0)));
    expectMatrixNear(camera.rightEyeViewMatrix.get(), glm::translate(glm::mat4(1.0f), glm::vec3(-0.032f, 0, 0)));
}

TEST(StereoCamera, StereoSettingsRecomputeTheEyes)
{
    StereoCamera camera;
    aimDownMinusZ(camera, 0.0f, 2.0f);
    camera.interocularDistance = 0.1f;
    EXPECT_NEAR(camera.leftEyeViewMatrix.get()[3][0], 0.05f, 1e-6f);
    camera.convergencePlaneDistance = 5.0f;
    EXPECT_NEAR(camera.leftEyeViewMatrix.get()[2][0], 0.01f, 1e-6f);
    camera.shearEnabled = false;
    EXPECT_EQ(camera.leftEyeViewMatrix.get()[2][0], 0.0f);
}

TEST(StereoCamera, TakesItsFrameFromTheWorldMatrixOrElseTheLocalOne)
{
    StereoCamera camera;
    Transform *transform = camera.transform();
    // A world matrix still at identity: the local matrix gives the frame.
    transform->localTransform = glm::translate(glm::mat4(1.0f), glm::vec3(0, 0, 5));
    transform->worldTransform = glm::mat4(2.0f);
    transform->worldTransform = glm::mat4(1.0f);
    EXPECT_EQ(camera.position.get(), glm::vec3(0, 0, 5));
    EXPECT_EQ(camera.viewDirection.get(), glm::vec3(0, 0, -1));
    EXPECT_EQ(camera.upVector.get(), glm::vec3(0, 1, 0));

    const glm::mat4 turned = glm::translate(glm::mat4(1.0f), glm::vec3(1, 2, 3)) *
            glm::rotate(glm::mat4(1.0f), glm::radians(90.0f), glm::vec3(0, 1, 0));
    transform->worldTransform = turned;
    EXPECT_EQ(camera.position.get(), glm::vec3(1, 2, 3));
    EXPECT_NEAR(camera.viewDirection.get().x, -1.0f, 1e-6f);
    EXPECT_NEAR(camera.viewDirection.get().z, 0.0f, 1e-6f);
    expectMatrixNear(camera.centerViewMatrix.get(), glm::inverse(turned));
}

TEST(StereoCamera, FollowsTheSpatialAspect)
{
    AspectEngine engine;
    engine.addAspect(std::make_unique<SpatialAspect>());
    auto root = std::make_unique<Entity>();
    root->createComponent<Transform>()->localTransform = glm::translate(glm::mat4(1.0f), glm::vec3(0, 1, 0));
    auto *camera = root->addChildEntity(std::make_unique<StereoCamera>());
    camera->transform()->localTransform = glm::translate(glm::mat4(1.0f), glm::vec3(0, 0, 5));
    engine.setRootEntity(std::move(root));
    engine.processFrame();
    EXPECT_EQ(camera->position.get(), glm::vec3(0, 1, 5));
    expectMatrixNear(camera->centerViewMatrix.get(), glm::translate(glm::mat4(1.0f), glm::vec3(0, -1, -5)));
}
