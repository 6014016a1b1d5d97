<html>
<head><title>My Site - My Site</title><meta charset="utf-8"></head>
<body>
Write to us.
</body>
</html>