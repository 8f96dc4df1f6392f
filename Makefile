# The front door. `make run` and `make test` install what they need first.
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 60

.PHONY: deps build run test test-windows bench fuzz install package package-windows clean

deps:
	bash scripts/install-deps

build: deps
	cmake --preset dev
	cmake --build --preset dev -j $(JOBS)

run: build
	./build/kestrin

test: build
	ctest --preset dev -j $(JOBS)
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan -j $(JOBS)

# Both programs cross-built with MinGW-w64 and tested under Wine; the static
# Qt for Windows and its companion libraries are built first when this
# machine has none yet (see the README for the time). Tests under Wine spend
# most of their time waiting on Wine, so twice as many run as there are cores.
test-windows: deps
	qt=$$(bash scripts/build-qt-windows) && cmake --preset windows -DKESTRIN_QT_WINDOWS="$$qt"
	cmake --build --preset windows -j $(JOBS)
	ctest --preset windows -j $$(( $(JOBS) * 2 ))

bench: deps
	cmake --preset release
	cmake --build --preset release -j $(JOBS)
	bash bench/run-bench
	bash bench/startup-bench

fuzz: deps
	cmake --preset fuzz
	cmake --build --preset fuzz -j $(JOBS)
	bash fuzz/run-fuzz $(FUZZ_SECONDS)

install: build
	cmake --install build

package: build
	cd build && cpack -G DEB

package-windows: deps
	qt=$$(bash scripts/build-qt-windows) && cmake --preset windows -DKESTRIN_QT_WINDOWS="$$qt"
	cmake --build --preset windows -j $(JOBS) --target package-windows

clean:
	rm -rf build build-asan build-release build-fuzz build-windows
