#include "reference/ReferencePerspective.h"

#include <cmath>
#include <opencv2/imgproc.hpp>

#include "reference/ReferenceRules.h"

namespace korvane::reference {

void FillPerspectiveWindowLiteral(const PerspectiveFrame& frame, double t0, double dt,
                                  bool cumulative, double radius, bool gaussian,
                                  double densityMaximum, cv::Mat& picture) {
    const double du = frame.du;
    const double dw = frame.dw;
    for (int i = 0; i < frame.width; ++i) {
        for (int k = 0; k < frame.height; ++k) {
            const double U = frame.uMin + i * du;
            const double W = frame.wMax - k * dw;
            long double density = 0;
            for (const ProjectedEvent& e : frame.kept) {
                if (!(e.t < t0 + dt)) {
                    break;
                }
                const bool inWindow = cumulative ? e.t < t0 + dt : (t0 < e.t && e.t < t0 + dt);
                if (inWindow && std::fabs(e.u - U) < radius * du &&
                    std::fabs(e.w - W) < radius * dw) {
                    const long double a = std::fabs(static_cast<long double>(e.u) - U) / du;
                    const long double b = std::fabs(static_cast<long double>(e.w) - W) / dw;
                    density += Weight(std::sqrt(a * a + b * b), radius, gaussian);
                }
            }
            picture.at<cv::Vec3b>(k + 100, i + 100) =
                Pixel(static_cast<double>(density), ToSingle(densityMaximum));
        }
    }
}

double EstimatePerspectiveMaximumAllPairs(const PerspectiveFrame& frame, double dt, double radius,
                                          bool cumulative, bool gaussian) {
    const double du = frame.du;
    const double dw = frame.dw;
    long double result = 0;
    for (const ProjectedEvent& i : frame.kept) {
        long double sum = 0;
        for (const ProjectedEvent& j : frame.kept) {
            const bool timeCounts = cumulative ? j.t < i.t : std::fabs(i.t - j.t) < dt;
            if (std::fabs(i.u - j.u) < radius * du && std::fabs(i.w - j.w) < radius * dw &&
                timeCounts) {
                const long double a = std::fabs(static_cast<long double>(i.u) - j.u) / du;
                const long double b = std::fabs(static_cast<long double>(i.w) - j.w) / dw;
                sum += Weight(std::sqrt(a * a + b * b), radius, gaussian);
            }
        }
        if (sum > result) {
            result = sum;
        }
    }
    return static_cast<double>(result);
}

namespace {

struct Point3 {
    double x, y, z;
};

}  // namespace

std::vector<cv::Mat> PerspectivePicturesLiteral(const EventTable& events, const PerspectiveBox& box,
                                                double radius, bool cumulative, bool gaussian,
                                                double densityMaximum) {
    // 1. The axis end points: corner to x end, corner to y end, corner to z end.
    const Point3 axis[6] = {{box.xmin, box.ymin, box.zmin}, {box.xmax, box.ymin, box.zmin},
                            {box.xmin, box.ymin, box.zmin}, {box.xmin, box.ymax, box.zmin},
                            {box.xmin, box.ymin, box.zmin}, {box.xmin, box.ymin, box.zmax}};
    // 2. The angles.
    const float pi = 3.141592654f;
    const float a = 30.0f * pi / 180.0f;
    const float b = 0.0f * pi / 180.0f;
    const float c = -60.0f * pi / 180.0f;
    const double sa = std::sin(static_cast<double>(a)), ca = std::cos(static_cast<double>(a));
    const double sb = std::sin(static_cast<double>(b)), cb = std::cos(static_cast<double>(b));
    const double sc = std::sin(static_cast<double>(c)), cc = std::cos(static_cast<double>(c));
    auto projectU = [&](double x, double y, double z) {
        return cb * cc * x - cb * sc * y + sb * z;
    };
    auto projectW = [&](double x, double y, double z) {
        return (sa * sc - ca * sb * cc) * x + (sa * cc + ca * sb * sc) * y + ca * cb * z;
    };

    // 3. Keep and project.
    PerspectiveFrame frame;
    frame.width = box.width;
    frame.height = box.height;
    for (int n = 0; n < events.count; ++n) {
        const EventRecord& e = events.rows[static_cast<std::size_t>(n)];
        if (e.x >= box.xmin && e.x <= box.xmax && e.y >= box.ymin && e.y <= box.ymax &&
            e.z >= box.zmin && e.z <= box.zmax && e.t >= box.start && e.t <= box.end) {
            frame.kept.push_back({projectU(e.x, e.y, e.z), projectW(e.x, e.y, e.z), e.t});
        }
    }
    // 4. Project the axis points.
    double axisU[6], axisW[6];
    for (int p = 0; p < 6; ++p) {
        axisU[p] = projectU(axis[p].x, axis[p].y, axis[p].z);
        axisW[p] = projectW(axis[p].x, axis[p].y, axis[p].z);
    }
    // 5. Bounds in single precision, running extremes.
    float uMin = ToSingle(axisU[0]), uMax = uMin;
    float wMin = ToSingle(axisW[0]), wMax = wMin;
    auto include = [&](double u, double w) {
        if (u < uMin)
            uMin = ToSingle(u);
        if (u > uMax)
            uMax = ToSingle(u);
        if (w < wMin)
            wMin = ToSingle(w);
        if (w > wMax)
            wMax = ToSingle(w);
    };
    for (const ProjectedEvent& e : frame.kept)
        include(e.u, e.w);
    for (int p = 0; p < 6; ++p)
        include(axisU[p], axisW[p]);
    frame.uMin = uMin;
    frame.uMax = uMax;
    frame.wMin = wMin;
    frame.wMax = wMax;
    frame.du = (static_cast<double>(uMax) - static_cast<double>(uMin)) / box.width;
    frame.dw = (static_cast<double>(wMax) - static_cast<double>(wMin)) / box.height;
    const double dt = (box.end - box.start) / box.windows;

    // 6, 7. The pictures.
    std::vector<cv::Mat> pictures;
    const cv::Scalar grey(250, 250, 250);
    // At most N + 1 pictures, the top of the progress range.
    const double most = std::trunc(box.windows) + 1;
    for (double t0 = box.start; t0 < box.end && static_cast<double>(pictures.size()) < most;
         t0 += dt) {
        cv::Mat picture(box.height + 200, box.width + 200, CV_8UC3, cv::Scalar(0, 0, 0));
        FillPerspectiveWindowLiteral(frame, t0, dt, cumulative, radius, gaussian, densityMaximum,
                                     picture);
        for (int p = 0; p < 6; p += 2) {
            const cv::Point from(static_cast<int>((axisU[p] - uMin) / frame.du) + 100,
                                 static_cast<int>((wMax - axisW[p]) / frame.dw) + 100);
            const cv::Point to(static_cast<int>((axisU[p + 1] - uMin) / frame.du) + 100,
                               static_cast<int>((wMax - axisW[p + 1]) / frame.dw) + 100);
            cv::line(picture, from, to, grey, 2, cv::LINE_8, 0);
        }
        const char* names[3] = {"x", "y", "z"};
        for (int p = 1; p < 6; p += 2) {
            const cv::Point at(static_cast<int>((axisU[p] - uMin) / frame.du + 110),
                               static_cast<int>((wMax - axisW[p]) / frame.dw) + 100);
            cv::putText(picture, names[p / 2], at, cv::FONT_HERSHEY_SIMPLEX, 1.0, grey, 2,
                        cv::LINE_8, false);
        }
        cv::putText(picture, "Time: " + FixedText(t0 + dt, 1) + " sec",
                    cv::Point(box.width - 100, 50), cv::FONT_HERSHEY_SIMPLEX, 1.0, grey, 2,
                    cv::LINE_8, false);
        pictures.push_back(picture);
    }
    return pictures;
}

}  // namespace korvane::reference
