// The point cloud a user would otherwise build with Open3D: an organised cloud from the
// same depth image and intrinsics (no undistortion), for comparison with generateCloud.
#include <benchmark/benchmark.h>

#include <open3d/camera/PinholeCameraIntrinsic.h>
#include <open3d/geometry/Image.h>
#include <open3d/geometry/PointCloud.h>

#include "BenchFrames.h"

namespace {

void BM_Open3dCreateFromDepthImage(benchmark::State& state) {
    const vantory_test::PacketPlan s = vantory_bench::benchPlan(1 | 2);
    open3d::geometry::Image depth;
    depth.Prepare(s.width, s.height, 1, 2);
    auto* pixels = depth.PointerAs<uint16_t>();
    for (size_t i = 0; i < s.pixels(); ++i) {
        pixels[i] = s.distance[i] >= 64000 ? 0 : s.distance[i];
    }
    const open3d::camera::PinholeCameraIntrinsic intrinsic(s.width, s.height, s.lens[0], s.lens[1],
                                                           s.lens[2], s.lens[3]);
    for (auto _ : state) {
        auto cloud = open3d::geometry::PointCloud::CreateFromDepthImage(
            depth, intrinsic, Eigen::Matrix4d::Identity(), 1000.0, 1000.0, 1, false);
        benchmark::DoNotOptimize(cloud->points_.data());
    }
}
BENCHMARK(BM_Open3dCreateFromDepthImage);

}  // namespace
