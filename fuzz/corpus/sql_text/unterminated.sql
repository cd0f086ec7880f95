SELECT 'abc;
[name;
/* open