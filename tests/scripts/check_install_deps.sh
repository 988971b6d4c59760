#!/usr/bin/env bash
# Every program that .ci/run and the README's build, test and install routes call must come, on
# a bare Debian 12, from a package that scripts/install-deps.sh installs, from a package that
# one of those depends on, or from a package every Debian system has (priority "required").
# Run on a Debian machine where those programs are installed; exit 77 (skipped) elsewhere.
set -euo pipefail
source_dir=${1:?source folder}

for tool in dpkg-query dpkg apt-cache; do
  command -v "$tool" >/dev/null || { echo "skipped: no $tool, not a Debian system"; exit 77; }
done

# .ci/run and scripts/check-format.sh; the README's build, test and .deb routes; the tests'
# own helpers (unzip, mount, umount).
tools=(bash git xargs clang-format cmake ninja ctest cpack c++ pkg-config
       file dpkg-shlibdeps strip objdump unzip mount umount apt)

mapfile -t listed < <(sed -n '/^packages=(/,/^)/p' "$source_dir/scripts/install-deps.sh" |
                      sed -e 's/#.*//' -e 's/packages=(//' -e 's/)//' | tr -s ' \t' '\n' | sed '/^$/d')
[ ${#listed[@]} -gt 0 ] || { echo "no package list in scripts/install-deps.sh"; exit 1; }

# What the listed packages bring with them.
declare -A available
while read -r name; do
  available[$name]=1
done < <(apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks \
           --no-replaces --no-enhances "${listed[@]}" 2>/dev/null | grep -v '^ ' | sed 's/:.*//')
for name in "${listed[@]}"; do
  available[$name]=1
done
# What every Debian system has.
while read -r name priority essential; do
  if [ "$priority" = required ] || [ "$essential" = yes ]; then
    available[$name]=1
  fi
done < <(dpkg-query -W -f='${Package} ${Priority} ${Essential}\n' | sed 's/:[^ ]*//')

missing=0
for tool in "${tools[@]}"; do
  path=$(command -v "$tool" || true)
  if [ -z "$path" ]; then
    echo "$tool: not installed on this machine, cannot tell which package brings it"
    missing=1
    continue
  fi
  owner=""
  for candidate in "$path" "$(readlink -f "$path")"; do
    owner=$(dpkg -S "$candidate" 2>/dev/null | head -n1 | cut -d: -f1 || true)
    # A merged /usr lists /bin files under /bin only.
    [ -n "$owner" ] || owner=$(dpkg -S "${candidate#/usr}" 2>/dev/null | head -n1 | cut -d: -f1 || true)
    [ -n "$owner" ] && break
  done
  if [ -z "$owner" ]; then
    echo "$tool ($path): no package owns it"
    missing=1
  elif [ -z "${available[$owner]:-}" ]; then
    echo "$tool ($path) comes from $owner, which scripts/install-deps.sh does not install"
    missing=1
  fi
done
exit $missing
