#include "AreaSums.h"

#include <opencv2/imgproc.hpp>

namespace vorlane {

AreaSums::AreaSums(const QImage& mask)
{
    const cv::Mat view(mask.height(), mask.width(), CV_8U, const_cast<uchar*>(mask.constBits()),
                       static_cast<size_t>(mask.bytesPerLine()));
    cv::integral(view > 0, m_sums, CV_32S);
}

}  // namespace vorlane
