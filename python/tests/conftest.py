def pytest_configure(config):
    config.addinivalue_line(
        "markers", "install: builds and installs the package with pip (minutes; ctest's "
                   "python_install runs these, the test python the rest)")
