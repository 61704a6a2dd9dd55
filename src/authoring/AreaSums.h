#pragma once

#include <QImage>
#include <QRect>

#include <opencv2/core.hpp>

namespace vorlane {

// Sums of a mask over rectangles, in constant time each.
class AreaSums {
public:
    explicit AreaSums(const QImage& mask);

    // The pixels set in `box`, which must lie inside the mask.
    int Sum(const QRect& box) const
    {
        const int x0 = box.left(), y0 = box.top(), x1 = box.right() + 1, y1 = box.bottom() + 1;
        return (m_sums.at<int>(y1, x1) - m_sums.at<int>(y1, x0) - m_sums.at<int>(y0, x1) + m_sums.at<int>(y0, x0)) / 255;
    }

private:
    cv::Mat m_sums;
};

}  // namespace vorlane
