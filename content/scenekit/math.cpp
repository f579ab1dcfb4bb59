#include <cmath>

#include "scenekit.h"

namespace scenekit {

float Dot(Vec3 a, Vec3 b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

Vec3 Cross(Vec3 a, Vec3 b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

float Length(Vec3 a)
{
    return std::sqrt(Dot(a, a));
}

Vec3 Normalize(Vec3 a)
{
    float length = Length(a);
    return length > 0 ? a * (1.0f / length) : a;
}

Matrix Identity()
{
    Matrix m{};
    for (int i = 0; i < 4; ++i) m[i][i] = 1;
    return m;
}

Matrix Translation(Vec3 t)
{
    Matrix m = Identity();
    m[3][0] = t.x;
    m[3][1] = t.y;
    m[3][2] = t.z;
    return m;
}

Matrix Scaling(Vec3 s)
{
    Matrix m = Identity();
    m[0][0] = s.x;
    m[1][1] = s.y;
    m[2][2] = s.z;
    return m;
}

Matrix Rotation(Vec3 axis, float angleDeg)
{
    Vec3 u = Normalize(axis);
    double a = angleDeg * M_PI / 180.0;
    float c = static_cast<float>(std::cos(a));
    float s = static_cast<float>(std::sin(a));
    float t = 1 - c;
    Matrix m = Identity();
    // Columns are the images of the X, Y and Z axes.
    m[0][0] = t * u.x * u.x + c;
    m[0][1] = t * u.x * u.y + s * u.z;
    m[0][2] = t * u.x * u.z - s * u.y;
    m[1][0] = t * u.x * u.y - s * u.z;
    m[1][1] = t * u.y * u.y + c;
    m[1][2] = t * u.y * u.z + s * u.x;
    m[2][0] = t * u.x * u.z + s * u.y;
    m[2][1] = t * u.y * u.z - s * u.x;
    m[2][2] = t * u.z * u.z + c;
    return m;
}

Matrix operator*(const Matrix &a, const Matrix &b)
{
    Matrix m{};
    for (int col = 0; col < 4; ++col)
        for (int row = 0; row < 4; ++row) {
            float sum = 0;
            for (int k = 0; k < 4; ++k) sum += a[k][row] * b[col][k];
            m[col][row] = sum;
        }
    return m;
}

Vec3 TransformPoint(const Matrix &m, Vec3 p)
{
    return {m[0][0] * p.x + m[1][0] * p.y + m[2][0] * p.z + m[3][0],
            m[0][1] * p.x + m[1][1] * p.y + m[2][1] * p.z + m[3][1],
            m[0][2] * p.x + m[1][2] * p.y + m[2][2] * p.z + m[3][2]};
}

}  // namespace scenekit
