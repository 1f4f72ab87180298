#include "picture/DensityVolume.h"

#include <netcdf.h>

#include <cstdlib>
#include <mutex>

#include "common/AtomicFile.h"

namespace korvane {

namespace {

std::string VolumeFailureText(const std::string& target, const std::string& reason) {
    return "Cannot write the density volume " + target + ": " + reason;
}

// The HDF5 library beneath NetCDF-4 locks a file it creates; the temporary it writes is
// already locked by this program (alive to the cleaner of stale temporaries), and a second
// lock of one file fails even within one process. The variable is read at each file's
// creation; it is set once, before the first, and never changed after.
void LeaveLockingToTheTemporary() {
    static std::once_flag once;
    std::call_once(once, [] {
        // NOLINTNEXTLINE(concurrency-mt-unsafe): set once, before any volume is created.
        ::setenv("HDF5_USE_FILE_LOCKING", "FALSE", 0);
    });
}

const char* CfAxis(const std::string& name) {
    if (name == "x") {
        return "X";
    }
    if (name == "y") {
        return "Y";
    }
    if (name == "z") {
        return "Z";
    }
    return "T";
}

int PutText(int file, int variable, const std::string& name, const std::string& text) {
    return nc_put_att_text(file, variable, name.c_str(), text.size(), text.c_str());
}

}  // namespace

struct DensityVolumeFile::Handle {
    explicit Handle(const std::string& target) : file(target, Options()) {}

    static AtomicFileOptions Options() {
        AtomicFileOptions options;
        options.failureText = VolumeFailureText;
        return options;
    }

    AtomicFile file;
    int id = -1;  // the NetCDF file, while open
    int stack = -1;
    int bounds = -1;
    int density = -1;
    std::size_t rows = 0;
    std::size_t columns = 0;

    ~Handle() {
        if (id >= 0) {
            nc_close(id);
        }
    }
};

DensityVolumeFile::DensityVolumeFile(std::string target) : m_target(std::move(target)) {}

DensityVolumeFile::~DensityVolumeFile() = default;

Status DensityVolumeFile::Failed(int error) {
    const std::string reason = nc_strerror(error);
    m_handle.reset();  // closes and removes the temporary
    return Status::IoError(VolumeFailureText(m_target, reason));
}

// Each step's NetCDF status: the first that is not NC_NOERR ends the writing.
#define KORVANE_NC(call)                   \
    do {                                   \
        if (const int nc_ = (call); nc_) { \
            return Failed(nc_);            \
        }                                  \
    } while (false)

Status DensityVolumeFile::Begin(const VolumeLayout& layout) {
    m_handle = std::make_unique<Handle>(m_target);
    Handle& h = *m_handle;
    if (Status created = h.file.Create(); !created.ok()) {
        m_handle.reset();
        return created;
    }
    LeaveLockingToTheTemporary();
    KORVANE_NC(nc_create(h.file.temporaryPath().c_str(), NC_NETCDF4 | NC_CLOBBER, &h.id));
    h.rows = layout.rows.values.size();
    h.columns = layout.columns.values.size();
    int stackDim = 0;
    int rowDim = 0;
    int columnDim = 0;
    int pairDim = 0;
    KORVANE_NC(nc_def_dim(h.id, layout.stack.name.c_str(), NC_UNLIMITED, &stackDim));
    KORVANE_NC(nc_def_dim(h.id, layout.rows.name.c_str(), h.rows, &rowDim));
    KORVANE_NC(nc_def_dim(h.id, layout.columns.name.c_str(), h.columns, &columnDim));
    KORVANE_NC(nc_def_dim(h.id, "bounds", 2, &pairDim));

    // The coordinate variables carry their dimension's name, as CF readers expect.
    int rowVar = 0;
    int columnVar = 0;
    const std::string boundsName = layout.stack.name + "_bounds";
    KORVANE_NC(nc_def_var(h.id, layout.stack.name.c_str(), NC_DOUBLE, 1, &stackDim, &h.stack));
    const int boundsDims[2] = {stackDim, pairDim};
    KORVANE_NC(nc_def_var(h.id, boundsName.c_str(), NC_DOUBLE, 2, boundsDims, &h.bounds));
    KORVANE_NC(nc_def_var(h.id, layout.rows.name.c_str(), NC_DOUBLE, 1, &rowDim, &rowVar));
    KORVANE_NC(nc_def_var(h.id, layout.columns.name.c_str(), NC_DOUBLE, 1, &columnDim, &columnVar));
    const int densityDims[3] = {stackDim, rowDim, columnDim};
    KORVANE_NC(nc_def_var(h.id, "density", NC_FLOAT, 3, densityDims, &h.density));
    // One chunk a plane; most of a density plane is zero, which deflates to little.
    const std::size_t chunk[3] = {1, std::max<std::size_t>(h.rows, 1),
                                  std::max<std::size_t>(h.columns, 1)};
    KORVANE_NC(nc_def_var_chunking(h.id, h.density, NC_CHUNKED, chunk));
    KORVANE_NC(nc_def_var_deflate(h.id, h.density, 1, 1, 1));

    // The cells' latitude and longitude, as CF's auxiliary coordinates of the densities.
    const bool geographic = !layout.latitudes.empty() &&
                            layout.latitudes.size() == h.rows * h.columns &&
                            layout.longitudes.size() == layout.latitudes.size();
    int latitudeVar = -1;
    int longitudeVar = -1;
    if (geographic) {
        const int planeDims[2] = {rowDim, columnDim};
        KORVANE_NC(nc_def_var(h.id, "lat", NC_DOUBLE, 2, planeDims, &latitudeVar));
        KORVANE_NC(nc_def_var(h.id, "lon", NC_DOUBLE, 2, planeDims, &longitudeVar));
        KORVANE_NC(PutText(h.id, latitudeVar, "standard_name", "latitude"));
        KORVANE_NC(PutText(h.id, latitudeVar, "units", "degrees_north"));
        KORVANE_NC(PutText(h.id, latitudeVar, "long_name", "latitude of the cell (WGS84)"));
        KORVANE_NC(PutText(h.id, longitudeVar, "standard_name", "longitude"));
        KORVANE_NC(PutText(h.id, longitudeVar, "units", "degrees_east"));
        KORVANE_NC(PutText(h.id, longitudeVar, "long_name", "longitude of the cell (WGS84)"));
        KORVANE_NC(PutText(h.id, h.density, "coordinates", "lat lon"));
    }
    const std::pair<int, const VolumeAxis*> axes[] = {
        {h.stack, &layout.stack}, {rowVar, &layout.rows}, {columnVar, &layout.columns}};
    for (const auto& [variable, axis] : axes) {
        KORVANE_NC(PutText(h.id, variable, "units", axis->units));
        KORVANE_NC(PutText(h.id, variable, "long_name", axis->longName));
        KORVANE_NC(PutText(h.id, variable, "axis", CfAxis(axis->name)));
    }
    if (layout.stackIsTime) {
        KORVANE_NC(PutText(h.id, h.stack, "standard_name", "time"));
    }
    KORVANE_NC(PutText(h.id, h.stack, "bounds", boundsName));
    KORVANE_NC(PutText(h.id, h.density, "long_name", layout.densityName));
    KORVANE_NC(PutText(h.id, h.density, "units", "1"));
    KORVANE_NC(PutText(h.id, NC_GLOBAL, "Conventions", "CF-1.8"));
    for (const auto& [name, text] : layout.textAttributes) {
        KORVANE_NC(PutText(h.id, NC_GLOBAL, name, text));
    }
    for (const auto& [name, number] : layout.numberAttributes) {
        KORVANE_NC(nc_put_att_double(h.id, NC_GLOBAL, name.c_str(), NC_DOUBLE, 1, &number));
    }
    KORVANE_NC(nc_enddef(h.id));
    if (h.rows > 0) {
        KORVANE_NC(nc_put_var_double(h.id, rowVar, layout.rows.values.data()));
    }
    if (h.columns > 0) {
        KORVANE_NC(nc_put_var_double(h.id, columnVar, layout.columns.values.data()));
    }
    if (geographic && h.rows > 0 && h.columns > 0) {
        KORVANE_NC(nc_put_var_double(h.id, latitudeVar, layout.latitudes.data()));
        KORVANE_NC(nc_put_var_double(h.id, longitudeVar, layout.longitudes.data()));
    }
    m_planes = 0;
    return Status::Ok();
}

Status DensityVolumeFile::Append(const cv::Mat& densities, double position,
                                 const AxisRange& bounds) {
    if (!m_handle || m_handle->id < 0) {
        return Status::IoError(VolumeFailureText(m_target, "the file is not open"));
    }
    Handle& h = *m_handle;
    if (densities.type() != CV_32FC1 || static_cast<std::size_t>(densities.rows) < h.rows ||
        static_cast<std::size_t>(densities.cols) < h.columns) {
        return Status::IoError(VolumeFailureText(m_target, "a plane of the wrong size"));
    }
    // Row 0 of the volume is the bottom of the picture.
    m_plane.resize(h.rows * h.columns);
    for (std::size_t j = 0; j < h.rows; ++j) {
        const float* row = densities.ptr<float>(densities.rows - 1 - static_cast<int>(j));
        std::copy(row, row + h.columns,
                  m_plane.begin() + static_cast<std::ptrdiff_t>(j * h.columns));
    }
    const auto plane = static_cast<std::size_t>(m_planes);
    const std::size_t start[3] = {plane, 0, 0};
    const std::size_t count[3] = {1, h.rows, h.columns};
    if (h.rows > 0 && h.columns > 0) {
        KORVANE_NC(nc_put_vara_float(h.id, h.density, start, count, m_plane.data()));
    }
    KORVANE_NC(nc_put_var1_double(h.id, h.stack, &plane, &position));
    const double ends[2] = {bounds.min, bounds.max};
    const std::size_t pairCount[2] = {1, 2};
    KORVANE_NC(nc_put_vara_double(h.id, h.bounds, start, pairCount, ends));
    ++m_planes;
    return Status::Ok();
}

Status DensityVolumeFile::Finish() {
    if (!m_handle || m_handle->id < 0) {
        return Status::IoError(VolumeFailureText(m_target, "the file is not open"));
    }
    Handle& h = *m_handle;
    const int closed = nc_close(std::exchange(h.id, -1));
    if (closed != NC_NOERR) {
        return Failed(closed);
    }
    const Status committed = h.file.Commit();
    m_handle.reset();
    return committed;
}

#undef KORVANE_NC

}  // namespace korvane
