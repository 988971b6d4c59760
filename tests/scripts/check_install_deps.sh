#!/usr/bin/env bash
# Every program that .ci/run and the README's build, test and install routes call must come, on
# a bare Debian 12, from a package that scripts/install-deps.sh installs, from a package that
# one of those depends on, or from a package every Debian system has (priority "required").
# Run on a Debian machine where those programs are installed; exit 77 (skipped) elsewhere.
set -euo pipefail
source_dir=${1:?source folder}

for tool in dpkg-query dpkg awk; do
  command -v "$tool" >/dev/null || { echo "skipped: no $tool, not a Debian system"; exit 77; }
done

# .ci/run and scripts/check-format.sh; the README's build, test and .deb routes; the tests'
# own helpers (unzip, mount, umount).
tools=(bash git xargs clang-format cmake ninja ctest cpack c++ pkg-config
       file dpkg-shlibdeps strip objdump unzip mount umount apt)

mapfile -t listed < <(sed -n '/^packages=(/,/^)/p' "$source_dir/scripts/install-deps.sh" |
                      sed -e 's/#.*//' -e 's/packages=(//' -e 's/)//' | tr -s ' \t' '\n' | sed '/^$/d')
[ ${#listed[@]} -gt 0 ] || { echo "no package list in scripts/install-deps.sh"; exit 1; }

# What every Debian system has, and what the listed packages bring with them: their
# dependencies as the installed packages record them (alternatives and provided names count).
declare -A available
while read -r name; do
  available[$name]=1
done < <(dpkg-query -W -f='${Package}\t${Priority}\t${Essential}\t${Provides}\t${Depends}, ${Pre-Depends}\n' |
  awk -F'\t' -v listed="${listed[*]}" '
    {
      sub(/:.*/, "", $1)
      if ($2 == "required" || $3 == "yes") print $1
      depends[$1] = $5
      n = split($4, provided, /, */)
      for (i = 1; i <= n; i++) {
        sub(/ .*/, "", provided[i])
        if (provided[i] != "") provider[provided[i]] = provider[provided[i]] " " $1
      }
    }
    END {
      n = split(listed, queue, " ")
      for (i = 1; i <= n; i++) seen[queue[i]] = 1
      for (head = 1; head <= n; head++) {
        name = queue[head]
        print name
        targets = depends[name]
        if (name in provider) targets = targets "," provider[name]
        gsub(/\|/, ",", targets)
        m = split(targets, parts, /[, ]+/)
        for (j = 1; j <= m; j++) {
          dep = parts[j]
          if (dep == "" || dep ~ /^[(<>=]/ || dep ~ /[)]$/) continue
          sub(/:.*/, "", dep)
          if (!(dep in seen)) { seen[dep] = 1; queue[++n] = dep }
        }
      }
    }')

# Which package owns each program: its path, the file a link leads to, and, on a merged /usr,
# the /bin path the package lists. One dpkg call for all of them.
declare -A path_of candidates_of
all=()
missing=0
for tool in "${tools[@]}"; do
  path=$(command -v "$tool" || true)
  if [ -z "$path" ]; then
    echo "$tool: not installed on this machine, cannot tell which package brings it"
    missing=1
    continue
  fi
  real=$(readlink -f "$path")
  path_of[$tool]=$path
  candidates_of[$tool]="$path $real ${path#/usr} ${real#/usr}"
  all+=($path $real ${path#/usr} ${real#/usr})
done
declare -A owner_of
while IFS= read -r line; do
  owner_of[${line#*: }]=${line%%:*}
done < <(dpkg -S "${all[@]}" 2>/dev/null | grep -v '^diversion' | sed 's/, [^:]*//')

for tool in "${!path_of[@]}"; do
  owner=""
  for candidate in ${candidates_of[$tool]}; do
    owner=${owner_of[$candidate]:-}
    [ -n "$owner" ] && break
  done
  if [ -z "$owner" ]; then
    echo "$tool (${path_of[$tool]}): no package owns it"
    missing=1
  elif [ -z "${available[$owner]:-}" ]; then
    echo "$tool (${path_of[$tool]}) comes from $owner, which scripts/install-deps.sh does not install"
    missing=1
  fi
done
exit $missing
