# The two commands of the README, and a few for developers.
#   make test   installs what is missing, builds with sanitizers and runs every test
#   make run    installs what is missing, builds and starts the program
JOBS ?= $(shell nproc)
TEST_DIR := build/test
RUN_DIR := build/run

.PHONY: test run build-test build-run bench format clean

test: build-test
	cd $(TEST_DIR) && ctest --output-on-failure -j$(JOBS)

build-test:
	tools/install-deps test
	cmake -S . -B $(TEST_DIR) -DCMAKE_BUILD_TYPE=Debug -DCHIMEWELL_SANITIZE=ON -DCHIMEWELL_WERROR=ON
	cmake --build $(TEST_DIR) -j$(JOBS)

build-run:
	tools/install-deps run
	cmake -S . -B $(RUN_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCHIMEWELL_TESTS=OFF
	cmake --build $(RUN_DIR) -j$(JOBS)

run: build-run
	$(RUN_DIR)/bin/chimewell

bench: build-run
	for b in $(RUN_DIR)/bin/bench_*; do $$b; done

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
